// Connection security in the window: the Encryption choice, the lock with its tool tip, and the
// questions a TLS failure puts to the user (trust a certificate, allow plain text).

#include <QComboBox>
#include <QLabel>

#include "Classes/Controller.h"
#include "OperationOutcome.h"
#include "platform/Assert.h"
#include "platform/TrustedCertificates.h"
#include "platform/UserDefaults.h"
#include "platform/toolkit/Toolkit.h"
#include "ui_CustomWindow.h"

namespace {

QString text(const char* id, const char* english)
{
    return OperationOutcome::localizedText(id, english);
}

QString protocolWords(const QString& protocol)
{
    // OpenSSL's "TLSv1.3" reads "TLS 1.3".
    QString words = protocol;
    return words.replace(QLatin1String("TLSv"), QLatin1String("TLS "));
}

// Adds what went wrong with the trust store to the lock: a warning sign, and the texts in its
// tool tip.
void addWarnings(QLabel* lock, const QStringList& warnings)
{
    if (warnings.isEmpty())
        return;
    lock->setText(QStringLiteral("\u26A0") + lock->text());
    QStringList tip{lock->toolTip()};
    tip.removeAll(QString());
    lock->setToolTip((tip + warnings).join(QLatin1Char('\n')));
}

// The store's trouble: it cannot be read, or a copy that could not be read is kept aside.
QStringList storeWarnings(const QString& problem = QString())
{
    QStringList warnings{problem, TrustedCertificates::unreadableNotice()};
    warnings.removeAll(QString());
    return warnings;
}

} // namespace

void Controller::connectSecurityOutlets(const Ui::CustomWindow& ui)
{
    encryptionLabel = ui.encryptionLabel;
    encryptionPopUp = ui.encryptionPopUp;
    securityLabel = ui.securityLabel;
    connect(encryptionPopUp, &QComboBox::activated, this, [this] { armSaveItem(); });
}

void Controller::loadEncryption()
{
    // A store without the key means "if available"; nothing is written at start-up.
    const Encryption stored =
        encryptionFromKey(UserDefaults::standardUserDefaults().text(Setting::Encryption));
    for (size_t i = 0; i < kEncryptions.size(); ++i)
        if (kEncryptions[i] == stored)
            encryptionPopUp->setCurrentIndex(static_cast<int>(i));
}

void Controller::saveEncryption()
{
    const int index = encryptionPopUp->currentIndex();
    const Encryption chosen = index >= 0 && index < static_cast<int>(kEncryptions.size())
                                  ? kEncryptions[static_cast<size_t>(index)]
                                  : Encryption::IfAvailable;
    UserDefaults::standardUserDefaults().setValue(keyOfEncryption(chosen), Setting::Encryption);
}

void Controller::setEncryptionEditable(bool editable)
{
    encryptionPopUp->setEnabled(editable);
    setLook(encryptionLabel, editable);
    // Idle: no connection, no lock.
    securityLabel->clear();
    securityLabel->setToolTip(QString());
    if (editable)
        return;
    // Connecting: a store that cannot be read is moved aside before anything writes to it, and
    // the window says so.
    QString problem;
    TrustedCertificates::setAsideUnreadable(&problem);
    addWarnings(securityLabel, storeWarnings(problem));
}

bool Controller::decideOnSecurity(const ConnectionSecurity& security, QString* unsaved)
{
    using Kind = Toolkit::SecurityAlert::Kind;
    Toolkit::SecurityAlert alert;
    alert.host = security.hostPort;
    switch (security.problem) {
    case ConnectionSecurity::Problem::Untrusted:
        alert.kind = Kind::Untrusted;
        break;
    case ConnectionSecurity::Problem::Changed:
        alert.kind = Kind::Changed;
        if (const auto before = TrustedCertificates::trusted(security.hostPort))
            alert.previousFingerprint = before->fingerprint;
        break;
    case ConnectionSecurity::Problem::TlsNoLongerUsed:
        alert.kind = Kind::PlainText;
        break;
    case ConnectionSecurity::Problem::None:
    case ConnectionSecurity::Problem::Other:
        return false;
    }
    alert.problem = networkStream->streamError().message;
    // Without a readable store every host counts as once used with TLS: say why this one does.
    if (const QString notice = TrustedCertificates::unreadableNotice();
        alert.kind == Kind::PlainText && !notice.isEmpty())
        alert.problem += QLatin1Char('\n') + notice;
    if (security.certificate)
        alert.certificate = *security.certificate;
    else if (alert.kind != Kind::PlainText)
        return false;
    if (Toolkit::shared().runModalSecurityAlert(alert) != Toolkit::kDefaultReturn)
        return false;
    if (alert.kind == Kind::PlainText) {
        TrustedCertificates::allowPlainThisRun(security.hostPort);
        return true;
    }
    QString problem;
    if (!TrustedCertificates::trust(security.hostPort, alert.certificate, &problem)) {
        //% "The trusted certificate could not be saved: %1"
        *unsaved = text("SecurityTrustNotSaved", "The trusted certificate could not be saved: %1")
                       .arg(problem);
        return false;
    }
    return true;
}

void Controller::showSecurity(const ConnectionSecurity& security)
{
    connectionSecurity = security;
    QString tip;
    switch (security.state) {
    case ConnectionSecurity::State::Plain:
        //% "Not encrypted"
        tip = text("SecurityPlain", "Not encrypted");
        break;
    case ConnectionSecurity::State::Verified:
        //% "%1, certificate verified"
        tip = text("SecurityVerified", "%1, certificate verified")
                  .arg(protocolWords(security.protocol));
        break;
    case ConnectionSecurity::State::TrustedByUser:
        //% "%1, certificate trusted by you"
        tip = text("SecurityTrusted", "%1, certificate trusted by you")
                  .arg(protocolWords(security.protocol));
        break;
    }
    securityLabel->setText(security.state == ConnectionSecurity::State::Plain
                               ? QStringLiteral("\U0001F513")
                               : QStringLiteral("\U0001F512"));
    securityLabel->setToolTip(tip);
    QString problem;
    if (security.state != ConnectionSecurity::State::Plain && !security.hostPort.isEmpty() &&
        !TrustedCertificates::rememberTls(security.hostPort, &problem))
        //% "That this host uses TLS could not be saved: %1"
        problem = text("SecurityTlsNotSaved", "That this host uses TLS could not be saved: %1")
                      .arg(problem);
    addWarnings(securityLabel, storeWarnings(problem));
}

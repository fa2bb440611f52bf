// Connection security in the window: the Encryption choice, the lock with its tool tip, and the
// questions a TLS failure puts to the user (trust a certificate, allow plain text).

#include <array>

#include <QComboBox>
#include <QLabel>

#include "Classes/Controller.h"
#include "platform/Assert.h"
#include "platform/TrustedCertificates.h"
#include "platform/UserDefaults.h"
#include "platform/toolkit/Toolkit.h"
#include "ui_CustomWindow.h"

namespace {

// The pop-up's entries, in the order of the interface file.
constexpr std::array<Encryption, 4> kChoices = {Encryption::IfAvailable, Encryption::Require,
                                                Encryption::Implicit, Encryption::None};

QString protocolWords(const QString& protocol)
{
    // OpenSSL's "TLSv1.3" reads "TLS 1.3".
    QString words = protocol;
    return words.replace(QLatin1String("TLSv"), QLatin1String("TLS "));
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
    const Encryption stored = encryptionFromKey(
        UserDefaults::standardUserDefaults().objectForKey(QStringLiteral("Encryption")).toString());
    for (size_t i = 0; i < kChoices.size(); ++i)
        if (kChoices[i] == stored)
            encryptionPopUp->setCurrentIndex(static_cast<int>(i));
}

void Controller::saveEncryption()
{
    const int index = encryptionPopUp->currentIndex();
    const Encryption chosen = index >= 0 && index < static_cast<int>(kChoices.size())
                                  ? kChoices[static_cast<size_t>(index)]
                                  : Encryption::IfAvailable;
    UserDefaults::standardUserDefaults().setValue(keyOfEncryption(chosen),
                                                  QStringLiteral("Encryption"));
}

void Controller::setEncryptionEditable(bool editable)
{
    encryptionPopUp->setEnabled(editable);
    setLook(encryptionLabel, editable);
    // Idle: no connection, no lock.
    if (editable) {
        securityLabel->clear();
        securityLabel->setToolTip(QString());
    }
}

bool Controller::decideOnSecurity(const ConnectionSecurity& security)
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
    if (!TrustedCertificates::trust(security.hostPort, alert.certificate)) {
        showStatus(QStringLiteral("The trusted certificate could not be saved"));
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
        tip = QStringLiteral("Not encrypted");
        break;
    case ConnectionSecurity::State::Verified:
        tip = protocolWords(security.protocol) + QStringLiteral(", certificate verified");
        break;
    case ConnectionSecurity::State::TrustedByUser:
        tip = protocolWords(security.protocol) + QStringLiteral(", certificate trusted by you");
        break;
    }
    securityLabel->setText(security.state == ConnectionSecurity::State::Plain
                               ? QStringLiteral("\U0001F513")
                               : QStringLiteral("\U0001F512"));
    securityLabel->setToolTip(tip);
    if (security.state != ConnectionSecurity::State::Plain && !security.hostPort.isEmpty())
        TrustedCertificates::rememberTls(security.hostPort);
}

#include "platform/toolkit/QtToolkit.h"

#include <algorithm>

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "platform/LocalizedText.h"
#include "platform/ftp/FtpStream.h"

namespace {

QtToolkit& qtToolkit()
{
    static QtToolkit toolkit;
    return toolkit;
}

Toolkit* sInstalled = nullptr;

QMessageBox::Icon iconFor(Toolkit::AlertStyle style)
{
    switch (style) {
    case Toolkit::AlertStyle::Informational:
        return QMessageBox::Information;
    case Toolkit::AlertStyle::Critical:
        return QMessageBox::Critical;
    case Toolkit::AlertStyle::Warning:
        break;
    }
    return QMessageBox::Warning;
}

} // namespace

Toolkit& Toolkit::shared()
{
    return sInstalled ? *sInstalled : qtToolkit();
}

void Toolkit::setShared(Toolkit* toolkit)
{
    sInstalled = toolkit;
}

Toolkit::AlertAnswer QtToolkit::runModalAlert(const Alert& alert)
{
    StreamModalHold hold;
    QWidget* parent = QApplication::activeWindow();
    if (alert.hasTextField || !alert.choices.isEmpty()) {
        QInputDialog dialog(parent);
        dialog.setInputMode(QInputDialog::TextInput);
        dialog.setComboBoxItems(alert.choices);
        dialog.setComboBoxEditable(false);
        dialog.setWindowTitle(QApplication::applicationDisplayName());
        dialog.setLabelText(alert.informativeText.isEmpty()
                                ? alert.messageText
                                : alert.messageText + QLatin1Char('\n') + alert.informativeText);
        if (!alert.defaultButton.isEmpty())
            dialog.setOkButtonText(alert.defaultButton);
        if (!alert.alternateButton.isEmpty())
            dialog.setCancelButtonText(alert.alternateButton);
        dialog.setTextValue(alert.choices.isEmpty() ? alert.fieldText : alert.choices.first());
        if (alert.secretText)
            dialog.setTextEchoMode(QLineEdit::Password);
        const bool ok = dialog.exec() == QDialog::Accepted;
        return {ok ? kDefaultReturn : kAlternateReturn, dialog.textValue()};
    }

    QMessageBox box(iconFor(alert.style), QApplication::applicationDisplayName(), alert.messageText,
                    QMessageBox::NoButton, parent);
    box.setInformativeText(alert.informativeText);
    QPushButton* defaultButton =
        //% "OK"
        box.addButton(alert.defaultButton.isEmpty() ? localizedText("OK", "OK")
                                                    : alert.defaultButton,
                      QMessageBox::AcceptRole);
    QPushButton* alternateButton =
        alert.alternateButton.isEmpty()
            ? nullptr
            : box.addButton(alert.alternateButton, QMessageBox::RejectRole);
    box.setDefaultButton(alert.alternateIsDefault && alternateButton ? alternateButton
                                                                     : defaultButton);
    box.exec();
    return {box.clickedButton() == defaultButton ? kDefaultReturn : kAlternateReturn, QString()};
}

namespace {

// Qt's file dialog chooses files or one folder: this one takes whatever is selected, folders
// among files, and enters a folder only on a double-click.
class FilesAndFoldersDialog final : public QFileDialog
{
public:
    using QFileDialog::QFileDialog;
    bool takesFolders = false;

    void accept() override
    {
        const QStringList chosen = selectedFiles();
        if (takesFolders && !chosen.isEmpty() &&
            std::all_of(chosen.begin(), chosen.end(),
                        [](const QString& path) { return QFileInfo::exists(path); }) &&
            chosen != QStringList{directory().absolutePath()}) {
            QDialog::accept();
            return;
        }
        QFileDialog::accept();
    }
};

} // namespace

Toolkit::OpenPanelAnswer QtToolkit::runModalOpenPanel(const OpenPanel& panel)
{
    StreamModalHold hold;
    FilesAndFoldersDialog dialog(QApplication::activeWindow());
    dialog.setDirectory(panel.directory);
    if (panel.canChooseDirectories && panel.canChooseFiles) {
        dialog.setOption(QFileDialog::DontUseNativeDialog, true);
        dialog.setFileMode(QFileDialog::ExistingFiles);
        dialog.takesFolders = true;
    } else if (panel.canChooseDirectories) {
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly, true);
    } else {
        dialog.setFileMode(panel.allowsMultipleSelection ? QFileDialog::ExistingFiles
                                                         : QFileDialog::ExistingFile);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return {kDefaultReturn, dialog.selectedFiles().constFirst(), dialog.selectedFiles()};
}

void QtToolkit::beginSheet(QDialog* sheet, QWidget* window)
{
    if (sheet->parentWidget() != window)
        sheet->setParent(window, sheet->windowFlags() | Qt::Sheet);
    sheet->setWindowModality(Qt::WindowModal);
    sheet->open();
}

void QtToolkit::endSheet(QDialog* sheet)
{
    sheet->hide();
}

int QtToolkit::runModalSecurityAlert(const SecurityAlert& alert)
{
    StreamModalHold hold;
    const bool plain = alert.kind == SecurityAlert::Kind::PlainText;
    QString message;
    const bool ssh = alert.hostKey.has_value();
    switch (alert.kind) {
    case SecurityAlert::Kind::Untrusted:
        //% "The host key of %1 is not known"
        //% "The certificate of %1 is not trusted"
        message = (ssh ? localizedText("SecurityHostKeyUnknown", "The host key of %1 is not known")
                       : localizedText("SecurityUntrusted", "The certificate of %1 is not trusted"))
                      .arg(alert.host);
        break;
    case SecurityAlert::Kind::Changed:
        //% "WARNING: the host key of %1 has changed"
        //% "The certificate of %1 has changed since you trusted it"
        message = (ssh ? localizedText("SecurityHostKeyChanged",
                                       "WARNING: the host key of %1 has changed")
                       : localizedText("SecurityChanged",
                                       "The certificate of %1 has changed since you trusted it"))
                      .arg(alert.host);
        break;
    case SecurityAlert::Kind::PlainText:
        //% "%1 was used with TLS before but does not offer it now"
        message = localizedText("SecurityPlainNow",
                                "%1 was used with TLS before but does not offer it now")
                      .arg(alert.host);
        break;
    }
    QMessageBox box(plain || alert.kind == SecurityAlert::Kind::Changed ? QMessageBox::Critical
                                                                        : QMessageBox::Warning,
                    QApplication::applicationDisplayName(), message, QMessageBox::NoButton,
                    QApplication::activeWindow());
    QStringList details{alert.problem};
    if (ssh) {
        //% "Key type: %1"
        details << QString()
                << localizedText("HostKeyType", "Key type: %1").arg(alert.hostKey->type)
                //% "Fingerprint: %1"
                << localizedText("HostKeyFingerprint", "Fingerprint: %1")
                       .arg(alert.hostKey->fingerprint);
        if (!alert.hostKey->previousFingerprint.isEmpty())
            //% "Known before: %1"
            details << localizedText("HostKeyKnownBefore", "Known before: %1")
                           .arg(alert.hostKey->previousFingerprint)
                    //% "Someone may be listening in; nothing was sent."
                    << localizedText("HostKeyWarning",
                                     "Someone may be listening in; nothing was sent.");
    } else if (!plain) {
        const CertificateDetails& c = alert.certificate;
        details
            //% "Subject: %1"
            << QString()
            << localizedText("CertificateSubject", "Subject: %1").arg(c.subject)
            //% "Issuer: %1"
            << localizedText("CertificateIssuer", "Issuer: %1").arg(c.issuer)
            //% "Valid from %1 until %2"
            << localizedText("CertificateValidity", "Valid from %1 until %2")
                   .arg(c.validFrom, c.validUntil)
            << QStringLiteral("SHA-256: %1").arg(c.fingerprint);
        if (!alert.previousFingerprint.isEmpty())
            //% "Trusted before: %1"
            details << localizedText("CertificateTrustedBefore", "Trusted before: %1")
                           .arg(alert.previousFingerprint);
    } else {
        //% "Without TLS, the password and the files travel readable."
        details << localizedText("SecurityPlainWarning",
                                 "Without TLS, the password and the files travel readable.");
    }
    box.setInformativeText(details.join(QLatin1Char('\n')));
    //% "Connect without encryption"
    const QString connectPlain =
        localizedText("SecurityConnectPlain", "Connect without encryption");
    //% "Trust this host key"
    //% "Trust this certificate"
    const QString trust = ssh ? localizedText("SecurityTrustHostKey", "Trust this host key")
                              : localizedText("SecurityTrust", "Trust this certificate");
    QPushButton* accept = box.addButton(plain ? connectPlain : trust, QMessageBox::AcceptRole);
    QPushButton* cancel = box.addButton(localizedText("Cancel", "Cancel"), QMessageBox::RejectRole);
    box.setDefaultButton(alert.kind == SecurityAlert::Kind::Untrusted ? accept : cancel);
    box.exec();
    return box.clickedButton() == accept ? kDefaultReturn : kAlternateReturn;
}

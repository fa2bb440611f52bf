#include "platform/toolkit/QtToolkit.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>
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
    if (alert.hasTextField) {
        QInputDialog dialog(parent);
        dialog.setInputMode(QInputDialog::TextInput);
        dialog.setWindowTitle(QApplication::applicationDisplayName());
        dialog.setLabelText(alert.informativeText.isEmpty()
                                ? alert.messageText
                                : alert.messageText + QLatin1Char('\n') + alert.informativeText);
        if (!alert.defaultButton.isEmpty())
            dialog.setOkButtonText(alert.defaultButton);
        if (!alert.alternateButton.isEmpty())
            dialog.setCancelButtonText(alert.alternateButton);
        dialog.setTextValue(alert.fieldText);
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
    if (!alert.alternateButton.isEmpty())
        box.addButton(alert.alternateButton, QMessageBox::RejectRole);
    box.setDefaultButton(defaultButton);
    box.exec();
    return {box.clickedButton() == defaultButton ? kDefaultReturn : kAlternateReturn, QString()};
}

Toolkit::OpenPanelAnswer QtToolkit::runModalOpenPanel(const OpenPanel& panel)
{
    StreamModalHold hold;
    QFileDialog dialog(QApplication::activeWindow());
    dialog.setDirectory(panel.directory);
    if (panel.canChooseDirectories && !panel.canChooseFiles) {
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
    switch (alert.kind) {
    case SecurityAlert::Kind::Untrusted:
        //% "The certificate of %1 is not trusted"
        message = localizedText("SecurityUntrusted", "The certificate of %1 is not trusted")
                      .arg(alert.host);
        break;
    case SecurityAlert::Kind::Changed:
        //% "The certificate of %1 has changed since you trusted it"
        message = localizedText("SecurityChanged",
                                "The certificate of %1 has changed since you trusted it")
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
    if (!plain) {
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
    //% "Trust this certificate"
    const QString trust = localizedText("SecurityTrust", "Trust this certificate");
    QPushButton* accept = box.addButton(plain ? connectPlain : trust, QMessageBox::AcceptRole);
    QPushButton* cancel = box.addButton(localizedText("Cancel", "Cancel"), QMessageBox::RejectRole);
    box.setDefaultButton(alert.kind == SecurityAlert::Kind::Untrusted ? accept : cancel);
    box.exec();
    return box.clickedButton() == accept ? kDefaultReturn : kAlternateReturn;
}

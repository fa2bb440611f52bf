#include "platform/toolkit/QtToolkit.h"

#include "platform/ftp/FtpStream.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

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
        dialog.setTextValue(QString());
        const bool ok = dialog.exec() == QDialog::Accepted;
        return {ok ? kDefaultReturn : kAlternateReturn, dialog.textValue()};
    }

    QMessageBox box(iconFor(alert.style), QApplication::applicationDisplayName(),
                    alert.messageText, QMessageBox::NoButton, parent);
    box.setInformativeText(alert.informativeText);
    QPushButton* defaultButton = box.addButton(
        alert.defaultButton.isEmpty() ? QStringLiteral("OK") : alert.defaultButton,
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
    return {kDefaultReturn, dialog.selectedFiles().constFirst()};
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

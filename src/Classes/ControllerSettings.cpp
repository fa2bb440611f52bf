// The settings panel and the settings store: loading at start-up, saving both groups, the
// checkbox rules, the sheet and the local folder chooser.

#include <array>

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTimer>

#include "Classes/Controller.h"
#include "MiscTool.h"
#include "OperationOutcome.h"
#include "platform/UserDefaults.h"
#include "platform/toolkit/Toolkit.h"

namespace {

UserDefaults& store()
{
    return UserDefaults::standardUserDefaults();
}

int checkState(const QCheckBox* box)
{
    return box->isChecked() ? 1 : 0;
}

// Puts the stored text into the field; an absent key is seeded with "" and the field kept.
void loadField(QLineEdit* field, Setting key)
{
    const QVariant value = store().objectForKey(key);
    if (value.isValid())
        field->setText(value.toString());
    else
        store().setObject(QString(QLatin1String("")), key);
}

// Refills the field from the store where it holds a value; otherwise the text stays.
void refillField(QLineEdit* field, Setting key)
{
    const QVariant value = store().objectForKey(key);
    if (value.isValid())
        field->setText(value.toString());
}

// The four proxy fields with the settings they show, in the order they are loaded.
std::array<std::pair<QLineEdit*, Setting>, 4> proxyFieldKeys(const Controller& c)
{
    return {{{c.proxyHostField, Setting::ProxyHost},
             {c.proxyPortField, Setting::ProxyPort},
             {c.proxyUserField, Setting::ProxyUser},
             {c.proxyPasswordField, Setting::ProxyPassword}}};
}

} // namespace

void Controller::initUserDefaults()
{
    loadField(hostField, Setting::Host);
    loadField(portField, Setting::Port);
    loadField(directoryField, Setting::Directory);
    // Every run starts in passive mode.
    if (store().integerForKey(Setting::Passive) != 1)
        store().setInteger(1, Setting::Passive);
    passiveCheckBox->setChecked(store().integerForKey(Setting::Passive) != 0);
    anonymousCheckBox->setChecked(store().integerForKey(Setting::Anonymous) != 0);
    loadField(userField, Setting::User);
    loadField(passwordField, Setting::Password);
    loadEncryption();
    const bool useProxy = store().integerForKey(Setting::UseProxy) != 0;
    useProxyCheckBox->setChecked(useProxy);
    for (const auto& [field, key] : proxyFieldKeys(*this)) {
        field->setReadOnly(!useProxy);
        loadField(field, key);
    }
    store().synchronize();
    if (!store().movedAsideTo.isEmpty()) {
        // Told once the window is up: the settings the user sees are empty, and why.
        const QString aside = store().movedAsideTo;
        QTimer::singleShot(0, this, [aside] {
            Toolkit::Alert alert;
            alert.style = Toolkit::AlertStyle::Informational;
            //% "The settings could not be read"
            alert.messageText = OperationOutcome::localizedText("SettingsUnreadable",
                                                                "The settings could not be read");
            //% "The settings file was kept as %1; Tandrel started with empty settings."
            alert.informativeText =
                OperationOutcome::localizedText(
                    "SettingsMovedAside",
                    "The settings file was kept as %1; Tandrel started with empty settings.")
                    .arg(aside);
            Toolkit::shared().runModalAlert(alert);
        });
    }
}

void Controller::saveFTPAction()
{
    if (!verifyFTP())
        return;
    store().setValue(hostField->text(), Setting::Host);
    store().setValue(portField->text(), Setting::Port);
    store().setValue(directoryField->text(), Setting::Directory);
    store().setInteger(checkState(passiveCheckBox), Setting::Passive);
    store().setInteger(checkState(anonymousCheckBox), Setting::Anonymous);
    store().setValue(userField->text(), Setting::User);
    store().setValue(passwordField->text(), Setting::Password);
    saveEncryption();
    store().synchronize();
}

void Controller::saveProxyAction()
{
    if (!verifyProxy())
        return;
    store().setInteger(checkState(useProxyCheckBox), Setting::UseProxy);
    store().setValue(proxyHostField->text(), Setting::ProxyHost);
    store().setValue(proxyPortField->text(), Setting::ProxyPort);
    store().setValue(proxyUserField->text(), Setting::ProxyUser);
    store().setValue(proxyPasswordField->text(), Setting::ProxyPassword);
    store().synchronize();
}

void Controller::armSaveItem()
{
    saveItem->setEnabled(true);
}

void Controller::controlTextDidChange()
{
    armSaveItem();
}

void Controller::passiveAction()
{
    armSaveItem();
}

void Controller::anonymousAction()
{
    armSaveItem();
    const bool anonymous = anonymousCheckBox->isChecked();
    setLook(userLabel, !anonymous);
    setLook(userField, !anonymous);
    setLook(passwordLabel, !anonymous);
    setLook(passwordField, !anonymous);
    if (anonymous) {
        userField->setText(QStringLiteral("anonymous"));
        userField->setReadOnly(true);
        passwordField->setText(QString());
        passwordField->setReadOnly(true);
        passwordField->setPlaceholderText(QString());
    } else {
        userField->setReadOnly(false);
        refillField(userField, Setting::User);
        passwordField->setReadOnly(false);
        refillField(passwordField, Setting::Password);
    }
}

void Controller::useProxyAction()
{
    armSaveItem();
    applyProxyAppearance();
}

void Controller::applyProxyAppearance()
{
    const bool useProxy = useProxyCheckBox->isChecked();
    for (QWidget* control :
         {static_cast<QWidget*>(proxyHostLabel), static_cast<QWidget*>(proxyHostField),
          static_cast<QWidget*>(proxyPortField), static_cast<QWidget*>(proxyUserLabel),
          static_cast<QWidget*>(proxyUserField), static_cast<QWidget*>(proxyPasswordLabel),
          static_cast<QWidget*>(proxyPasswordField)})
        setLook(control, useProxy);
    for (const auto& [field, key] : proxyFieldKeys(*this)) {
        field->setReadOnly(!useProxy);
        if (useProxy)
            refillField(field, key);
    }
}

void Controller::saveAction()
{
    saveFTPAction();
    saveProxyAction();
    storeCurrentSite();
    saveItem->setEnabled(false);
}

void Controller::setServer()
{
    downloadFolderPathLabel->setText(downloadFolder);
    {
        // Showing the stored value saves nothing.
        const QSignalBlocker quiet(transfersAtOnceField);
        transfersAtOnceField->setValue(MiscTool::transfersAtOnce());
    }
    Toolkit::shared().beginSheet(ftpSettingPanel, window);
}

void Controller::closeAction()
{
    Toolkit::shared().endSheet(ftpSettingPanel);
}

void Controller::setLocal()
{
    Toolkit::OpenPanel panel;
    panel.canChooseFiles = false;
    panel.canChooseDirectories = true;
    panel.allowsMultipleSelection = false;
    panel.directory = MiscTool::getDownloadFolder();
    const Toolkit::OpenPanelAnswer answer = Toolkit::shared().runModalOpenPanel(panel);
    if (answer.code == Toolkit::kDefaultReturn)
        downloadFolder = answer.path;
    localButton->setToolTip(downloadFolder);
    downloadFolderPathLabel->setText(downloadFolder);
}

void Controller::transfersAtOnceAction(int count)
{
    store().setObject(QString::number(count), Setting::TransfersAtOnce);
    store().synchronize();
}

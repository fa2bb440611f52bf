#include "Classes/Controller.h"

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>

#include "Classes/BrowserInput.h"
#include "Classes/ListingSortFilter.h"
#include "Classes/ListingTableModel.h"
#include "Classes/QueueDisplay.h"
#include "Classes/RemoteFolder.h"
#include "MiscTool.h"
#include "platform/Assert.h"
#include "platform/SiteStore.h"
#include "ui_CustomWindow.h"
#include "ui_FtpSettingPanel.h"

Controller::Controller(QObject* parent)
    : QObject(parent)
    , remote(new RemoteFolder(this))
    , tableSorter(new ListingSortFilter(remote, this))
    , tableModel(new ListingTableModel(this))
{
    tableSorter->setSourceModel(tableModel);
}

Controller::~Controller() = default;

void Controller::connectOutlets(QWidget* mainWindow, const Ui::CustomWindow& ui, QDialog* panel,
                                const Ui::FtpSettingPanel& panelUi)
{
    window = mainWindow;
    ftpSettingPanel = panel;
    tabView = ui.tabView;
    ftpTabViewItem = ui.ftpTabViewItem;
    proxyTabViewItem = ui.proxyTabViewItem;
    serverTabViewItem = ui.serverTabViewItem;
    queueTabViewItem = ui.queueTabViewItem;
    serverButton = ui.serverButton;
    localButton = panelUi.localButton;
    downloadFolderPathLabel = panelUi.downloadFolderPathLabel;
    transfersAtOnceField = panelUi.transfersAtOnceField;

    hostLabel = ui.hostLabel;
    hostField = ui.hostField;
    portField = ui.portField;
    directoryLabel = ui.directoryLabel;
    directoryField = ui.directoryField;
    passiveCheckBox = ui.passiveCheckBox;
    anonymousCheckBox = ui.anonymousCheckBox;
    userLabel = ui.userLabel;
    userField = ui.userField;
    passwordLabel = ui.passwordLabel;
    passwordField = ui.passwordField;

    useProxyCheckBox = ui.useProxyCheckBox;
    proxyHostLabel = ui.proxyHostLabel;
    proxyHostField = ui.proxyHostField;
    proxyPortField = ui.proxyPortField;
    proxyUserLabel = ui.proxyUserLabel;
    proxyUserField = ui.proxyUserField;
    proxyPasswordLabel = ui.proxyPasswordLabel;
    proxyPasswordField = ui.proxyPasswordField;

    toolbar = ui.toolbar;
    connectItem = ui.connectItem;
    disconnectItem = ui.disconnectItem;
    saveItem = ui.saveItem;
    progressIndicator = ui.progressIndicator;

    serverTable = ui.serverTable;
    ftpLocationLabel = ui.ftpLocationLabel;
    statusLabel = ui.statusLabel;
    preButton = ui.preButton;
    reloadButton = ui.reloadButton;
    downloadButton = ui.downloadButton;
    uploadButton = ui.uploadButton;
    createDirButton = ui.createDirButton;
    deleteButton = ui.deleteButton;

    taskTypeLabel = ui.taskTypeLabel;
    percentageLabel = ui.percentageLabel;
    progress = ui.progress;
    progress0 = ui.progress0;
    cancelButton = ui.cancelButton;
    cancelItem = ui.cancelItem;
    queueDisplay =
        new QueueDisplay(taskTypeLabel, progress, progress0, percentageLabel, cancelButton, this);

    connectSecurityOutlets(ui);
    connectSiteOutlets(ui);

    filterField = ui.filterField;
    serverTable->setModel(tableSorter);
    serverTable->verticalHeader()->hide();
    serverTable->horizontalHeader()->setStretchLastSection(true);
    serverTable->setColumnWidth(0, 32);
    serverTable->setColumnWidth(1, 300);
    serverTable->setColumnWidth(2, 100);

    // Toolbar items are armed by enabling them; their connections stay.
    connect(connectItem, &QAction::triggered, this, &Controller::connectAction);
    connect(disconnectItem, &QAction::triggered, this, &Controller::disconnectAction);
    connect(saveItem, &QAction::triggered, this, &Controller::saveAction);

    for (QLineEdit* field : {hostField, portField, directoryField, userField, passwordField,
                             proxyHostField, proxyPortField, proxyUserField, proxyPasswordField})
        connect(field, &QLineEdit::textEdited, this, &Controller::controlTextDidChange);
    connect(passiveCheckBox, &QCheckBox::clicked, this, &Controller::passiveAction);
    connect(anonymousCheckBox, &QCheckBox::clicked, this, &Controller::anonymousAction);
    connect(useProxyCheckBox, &QCheckBox::clicked, this, &Controller::useProxyAction);
    connect(serverButton, &QPushButton::clicked, this, &Controller::setServer);
    connect(localButton, &QPushButton::clicked, this, &Controller::setLocal);
    // Typed digits count once the field is left or the arrows used, not at each keystroke.
    transfersAtOnceField->setKeyboardTracking(false);
    connect(transfersAtOnceField, &QSpinBox::valueChanged, this,
            &Controller::transfersAtOnceAction);
    connect(panelUi.panelCloseButton, &QPushButton::clicked, this, &Controller::closeAction);
    connect(preButton, &QPushButton::clicked, this, &Controller::preAction);
    connect(reloadButton, &QPushButton::clicked, this, &Controller::reloadAction);
    browserInput = new BrowserInput(this, remote);
}

void Controller::awakeFromNib()
{
    initLocalizable();
    initUserDefaults();
    initSites();
    initStates();
}

QString Controller::localizedString(const char* key)
{
    // A key missing from the table comes back as the key itself.
    return qtTrId(key);
}

void Controller::initLocalizable()
{
    hostLabel->setText(localizedString("Host"));
    //% "ftp.example.org"
    hostField->setPlaceholderText(localizedString("HostPlaceholder"));
    //% "Port"
    portField->setPlaceholderText(localizedString("Port"));
    directoryLabel->setText(localizedString("Directory"));
    //% "Start folder (optional)"
    directoryField->setPlaceholderText(localizedString("DirectoryPlaceholder"));
    passiveCheckBox->setText(localizedString("PassiveMode"));
    anonymousCheckBox->setText(localizedString("Anonymous"));
    userLabel->setText(localizedString("User"));
    userField->setPlaceholderText(localizedString("User"));
    passwordLabel->setText(localizedString("Password"));
    passwordField->setPlaceholderText(localizedString("Password"));
    useProxyCheckBox->setText(localizedString("UseProxy"));
    proxyHostLabel->setText(localizedString("Host"));
    //% "proxy.example.org or socks5://host"
    proxyHostField->setPlaceholderText(localizedString("ProxyHost"));
    proxyPortField->setPlaceholderText(localizedString("Port"));
    proxyUserLabel->setText(localizedString("User"));
    //% "Proxy user"
    proxyUserField->setPlaceholderText(localizedString("ProxyUser"));
    proxyPasswordLabel->setText(localizedString("Password"));
    //% "Proxy password"
    proxyPasswordField->setPlaceholderText(localizedString("ProxyPassword"));
}

void Controller::setLook(QWidget* control, bool active)
{
    // The inactive look is the style's own disabled look, so that a dark theme keeps both looks
    // readable; the active look is the style's palette unchanged.
    QPalette palette = QApplication::palette(control);
    if (!active)
        for (const QPalette::ColorRole role :
             {QPalette::WindowText, QPalette::Text, QPalette::Base})
            for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
                palette.setColor(group, role, palette.color(QPalette::Disabled, role));
    control->setPalette(palette);
}

void Controller::setAnimating(bool animating)
{
    progressIndicator->setVisible(animating);
}

void Controller::setAllStates(bool idle)
{
    //% "Connect to the server"
    const QString connectTip = localizedString("Connect");
    //% "Connected"
    const QString runningTip = localizedString("Running");
    connectItem->setToolTip(idle ? connectTip : runningTip);
    setLook(hostLabel, idle);
    for (QLineEdit* field : {hostField, portField}) {
        field->setReadOnly(!idle);
        setLook(field, idle);
    }
    setLook(directoryLabel, idle);
    directoryField->setReadOnly(!idle);
    setLook(directoryField, idle);
    passiveCheckBox->setEnabled(idle);
    anonymousCheckBox->setEnabled(idle);
    setLook(userLabel, idle);
    userField->setEnabled(idle);
    setLook(userField, idle);
    setLook(passwordLabel, idle);
    passwordField->setEnabled(idle);
    setLook(passwordField, idle);
    setEncryptionEditable(idle);
    setSitesEditable(idle);
    useProxyCheckBox->setEnabled(idle);
    const std::pair<QLabel*, QLineEdit*> proxyRows[] = {{proxyHostLabel, proxyHostField},
                                                        {nullptr, proxyPortField},
                                                        {proxyUserLabel, proxyUserField},
                                                        {proxyPasswordLabel, proxyPasswordField}};
    for (const auto& [label, field] : proxyRows) {
        if (label)
            setLook(label, idle);
        field->setReadOnly(!idle);
        setLook(field, idle);
    }
    setAnimating(!idle);
    connectItem->setIcon(QIcon(idle ? QStringLiteral(":/images/connect.png")
                                    : QStringLiteral(":/images/running.png")));
    connectItem->setEnabled(idle);
    disconnectItem->setEnabled(!idle);
    remote->setConnected(!idle);
    saveItem->setEnabled(idle);
    for (QPushButton* button :
         {reloadButton, uploadButton, downloadButton, createDirButton, deleteButton})
        button->setEnabled(!idle);
}

void Controller::initStates()
{
    remote->reset(MiscTool::getFTPURL());
    downloadFolder = MiscTool::getDownloadFolder();
    downloadFolderPathLabel->setText(downloadFolder);
    preButton->setEnabled(false);
    disconnectItem->setEnabled(false);
    remote->setConnected(false);
    saveItem->setEnabled(false);
    if (anonymousCheckBox->isChecked())
        for (QWidget* control :
             {static_cast<QWidget*>(userLabel), static_cast<QWidget*>(userField),
              static_cast<QWidget*>(passwordLabel), static_cast<QWidget*>(passwordField)})
            setLook(control, false);
    applyProxyAppearance();
    if (!remote->listEntries)
        remote->listEntries.emplace();
    connect(serverTable, &QTableView::doubleClicked, this, &Controller::doubleClickAction,
            Qt::UniqueConnection);
}

void Controller::setButtonsState(bool enabled)
{
    const std::initializer_list<QPushButton*> buttons = {
        preButton, reloadButton, downloadButton, uploadButton, createDirButton, deleteButton};
    // A clicked button about to be disabled hands the focus to the table, not to whatever widget
    // comes next in the window: the keys the user types go on acting on the listing.
    if (!enabled &&
        std::find(buttons.begin(), buttons.end(), QApplication::focusWidget()) != buttons.end())
        serverTable->setFocus(Qt::OtherFocusReason);
    for (QPushButton* button : buttons)
        button->setEnabled(enabled);
    // At the root there is no parent folder to go to.
    if (remote->atRoot())
        preButton->setEnabled(false);
}

#include "Classes/Controller.h"

#include "Classes/ListingTableModel.h"
#include "MiscTool.h"
#include "platform/Assert.h"

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>

namespace {

template <typename T>
T* outlet(QWidget* root, const char* name)
{
    T* found = root->objectName() == QLatin1String(name) ? qobject_cast<T*>(root)
                                                         : root->findChild<T*>(QLatin1String(name));
    TANDREL_ASSERT(found != nullptr);
    return found;
}

} // namespace

Controller::Controller(QObject* parent)
    : QObject(parent)
    , tableModel(new ListingTableModel(this))
{
}

Controller::~Controller() = default;

void Controller::connectOutlets(QWidget* mainWindow, QDialog* panel)
{
    window = mainWindow;
    ftpSettingPanel = panel;
    tabView = outlet<QTabWidget>(window, "tabView");
    ftpTabViewItem = outlet<QWidget>(window, "ftpTabViewItem");
    proxyTabViewItem = outlet<QWidget>(window, "proxyTabViewItem");
    serverTabViewItem = outlet<QWidget>(window, "serverTabViewItem");
    queueTabViewItem = outlet<QWidget>(window, "queueTabViewItem");
    serverButton = outlet<QPushButton>(window, "serverButton");
    localButton = outlet<QPushButton>(panel, "localButton");
    downloadFolderPathLabel = outlet<QLabel>(panel, "downloadFolderPathLabel");

    hostLabel = outlet<QLabel>(window, "hostLabel");
    hostField = outlet<QLineEdit>(window, "hostField");
    portField = outlet<QLineEdit>(window, "portField");
    directoryLabel = outlet<QLabel>(window, "directoryLabel");
    directoryField = outlet<QLineEdit>(window, "directoryField");
    passiveCheckBox = outlet<QCheckBox>(window, "passiveCheckBox");
    anonymousCheckBox = outlet<QCheckBox>(window, "anonymousCheckBox");
    userLabel = outlet<QLabel>(window, "userLabel");
    userField = outlet<QLineEdit>(window, "userField");
    passwordLabel = outlet<QLabel>(window, "passwordLabel");
    passwordField = outlet<QLineEdit>(window, "passwordField");

    useProxyCheckBox = outlet<QCheckBox>(window, "useProxyCheckBox");
    proxyHostLabel = outlet<QLabel>(window, "proxyHostLabel");
    proxyHostField = outlet<QLineEdit>(window, "proxyHostField");
    proxyPortField = outlet<QLineEdit>(window, "proxyPortField");
    proxyUserLabel = outlet<QLabel>(window, "proxyUserLabel");
    proxyUserField = outlet<QLineEdit>(window, "proxyUserField");
    proxyPasswordLabel = outlet<QLabel>(window, "proxyPasswordLabel");
    proxyPasswordField = outlet<QLineEdit>(window, "proxyPasswordField");

    toolbar = outlet<QToolBar>(window, "toolbar");
    connectItem = window->findChild<QAction*>(QStringLiteral("connectItem"));
    disconnectItem = window->findChild<QAction*>(QStringLiteral("disconnectItem"));
    saveItem = window->findChild<QAction*>(QStringLiteral("saveItem"));
    TANDREL_ASSERT(connectItem && disconnectItem && saveItem);
    progressIndicator = outlet<QProgressBar>(window, "progressIndicator");

    serverTable = outlet<QTableView>(window, "serverTable");
    ftpLocationLabel = outlet<QLabel>(window, "ftpLocationLabel");
    statusLabel = outlet<QLabel>(window, "statusLabel");
    preButton = outlet<QPushButton>(window, "preButton");
    reloadButton = outlet<QPushButton>(window, "reloadButton");
    downloadButton = outlet<QPushButton>(window, "downloadButton");
    uploadButton = outlet<QPushButton>(window, "uploadButton");
    createDirButton = outlet<QPushButton>(window, "createDirButton");
    deleteButton = outlet<QPushButton>(window, "deleteButton");

    taskTypeLabel = outlet<QLabel>(window, "taskTypeLabel");
    percentageLabel = outlet<QLabel>(window, "percentageLabel");
    progress = outlet<QProgressBar>(window, "progress");
    progress0 = outlet<QProgressBar>(window, "progress0");

    serverTable->setModel(tableModel);
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
    connect(outlet<QPushButton>(panel, "panelCloseButton"), &QPushButton::clicked, this,
            &Controller::closeAction);
    connect(preButton, &QPushButton::clicked, this, &Controller::preAction);
    connect(reloadButton, &QPushButton::clicked, this, &Controller::reloadAction);
}

void Controller::awakeFromNib()
{
    initLocalizable();
    initUserDefaults();
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
    hostField->setPlaceholderText(localizedString("HostPlaceholder"));
    portField->setPlaceholderText(localizedString("Port"));
    directoryLabel->setText(localizedString("Directory"));
    directoryField->setPlaceholderText(localizedString("DirectoryPlaceholder"));
    passiveCheckBox->setText(localizedString("PassiveMode"));
    anonymousCheckBox->setText(localizedString("Anonymous"));
    userLabel->setText(localizedString("User"));
    userField->setPlaceholderText(localizedString("User"));
    passwordLabel->setText(localizedString("Password"));
    passwordField->setPlaceholderText(localizedString("Password"));
    useProxyCheckBox->setText(localizedString("UseProxy"));
    proxyHostLabel->setText(localizedString("Host"));
    proxyHostField->setPlaceholderText(localizedString("ProxyHost"));
    proxyPortField->setPlaceholderText(localizedString("Port"));
    proxyUserLabel->setText(localizedString("User"));
    proxyUserField->setPlaceholderText(localizedString("ProxyUser"));
    proxyPasswordLabel->setText(localizedString("Password"));
    proxyPasswordField->setPlaceholderText(localizedString("ProxyPassword"));
}

void Controller::setLook(QWidget* control, bool active)
{
    QPalette palette = control->palette();
    const QColor text = active ? QColor(Qt::black) : QColor(Qt::gray);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Text, text);
    if (qobject_cast<QLineEdit*>(control))
        palette.setColor(QPalette::Base, active
                                             ? QColor(Qt::white)
                                             : ftpSettingPanel->palette().color(QPalette::Window));
    control->setPalette(palette);
}

void Controller::setAnimating(bool animating)
{
    progressIndicator->setVisible(animating);
}

void Controller::setAllStates(bool idle)
{
    connectItem->setToolTip(localizedString(idle ? "Connect" : "Running"));
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
    saveItem->setEnabled(idle);
    for (QPushButton* button :
         {reloadButton, uploadButton, downloadButton, createDirButton, deleteButton})
        button->setEnabled(!idle);
}

void Controller::initStates()
{
    FTP_URL = MiscTool::getFTPURL();
    ftpURLStack = QStringList{FTP_URL};
    downloadFolder = MiscTool::getDownloadFolder();
    downloadFolderPathLabel->setText(downloadFolder);
    preButton->setEnabled(false);
    disconnectItem->setEnabled(false);
    saveItem->setEnabled(false);
    if (anonymousCheckBox->isChecked())
        for (QWidget* control : {static_cast<QWidget*>(userLabel), static_cast<QWidget*>(userField),
                                 static_cast<QWidget*>(passwordLabel),
                                 static_cast<QWidget*>(passwordField)})
            setLook(control, false);
    applyProxyAppearance();
    if (!listEntries)
        listEntries.emplace();
    connect(serverTable, &QTableView::doubleClicked, this, &Controller::doubleClickAction,
            Qt::UniqueConnection);
}

void Controller::setButtonsState(bool enabled)
{
    for (QPushButton* button :
         {preButton, reloadButton, downloadButton, uploadButton, createDirButton, deleteButton})
        button->setEnabled(enabled);
}

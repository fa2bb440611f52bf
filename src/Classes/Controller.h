#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QModelIndex>
#include <QObject>
#include <QString>
#include <QStringConverter>
#include <QStringList>

#include "Classes/RemoteFolder.h"
#include "ListingEntry.h"
#include "platform/ftp/OwnedStream.h"

class QAction;
class QCheckBox;
class QComboBox;
class QDialog;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTableView;
class QToolBar;
class QWidget;
class BrowserInput;
class ListingSortFilter;
class ListingTableModel;
class QueueDisplay;
class SiteStore;
struct Site;
namespace Ui {
class CustomWindow;
class FtpSettingPanel;
} // namespace Ui

// The main window's controller: the settings panel and the settings store, the interface
// states, the listing of the current remote folder, navigation and the listing table.
class Controller final : public QObject, public FtpStreamDelegate
{
    Q_OBJECT

public:
    explicit Controller(QObject* parent = nullptr);
    ~Controller() override;

    // Takes every outlet from the widgets that the window's and the settings panel's interface
    // files made, and wires the actions.
    void connectOutlets(QWidget* window, const Ui::CustomWindow& ui, QDialog* panel,
                        const Ui::FtpSettingPanel& panelUi);
    // Start-up, once the outlets are connected: texts, settings, start state.
    void awakeFromNib();

    // Texts.
    void initLocalizable();
    static QString localizedString(const char* key);

    // Settings store.
    void initUserDefaults();
    void saveFTPAction();
    void saveProxyAction();
    bool verifyFTP() const { return true; }
    bool verifyProxy() const { return true; }

    // Interface states: YES idle, NO running.
    void setAllStates(bool idle);
    void initStates();
    void setButtonsState(bool enabled);

    // Settings panel.
    void controlTextDidChange();
    void passiveAction();
    void anonymousAction();
    void useProxyAction();
    void saveAction();
    void setServer();
    void closeAction();
    void setLocal();
    // Saves how many files move at once, as the panel's spin box shows it.
    void transfersAtOnceAction(int count);

    // Listing.
    void startReceive(const QString& url);
    void stopReceiveWithStatus(const std::optional<QString>& statusText);
    bool isReceiving() const { return static_cast<bool>(networkStream); }
    void streamHandleEvent(FtpStream* aStream, NSStreamEvent eventCode) override;
    void parseListData();
    static ListingEntry entryByReencodingNameInEntry(ListingEntry entry,
                                                     QStringConverter::Encoding encoding);
    void addListEntries(QList<ListingEntry> entries);
    void receiveDidStart();
    void receiveDidStopWithStatus(const std::optional<QString>& statusText);
    void updateStatus(const QString& statusText);
    // Stops a running listing, keeping the rows that arrived (Esc).
    void cancelListing();

    // The most one listing takes in: entries, bytes, and bytes of one line. Past any of them
    // the listing stops with the rows that arrived and a status that says why: a server that
    // keeps sending must not fill the memory. Tests make them small.
    struct ListingLimits
    {
        int64_t entries = 2'000'000;
        int64_t bytes = 512 * 1024 * 1024;
        int64_t lineBytes = 64 * 1024;
    };
    static ListingLimits listingLimits;

    // Navigation and the listing table.
    void connectAction();
    void disconnectAction();
    void reloadAction();
    void preAction();
    void doubleClickAction();
    // After the listing failed: when it was of a link entered as a folder and the server
    // refused it as one (550), goes back to the folder that lists the link and offers to
    // download it.
    void offerEnteredLinkAsFile(const StreamError& error);
    int numberOfRowsInTableView() const;
    QString tableViewObjectValue(const QString& columnIdentifier, int row) const;
    // The selected rows of the listing table as rows of remote->listEntries, in the order the table
    // shows them; selectedRow() is the first of them, -1 when none.
    QList<int> selectedRows() const;
    int selectedRow() const;
    // Where the entry at remote->listEntries row shows in the table (invalid while filtered out),
    // and the reverse; selectListRow makes it the one selected row and scrolls to it.
    QModelIndex tableIndexOfRow(int row, int column = 1) const;
    int listRowOfTableIndex(const QModelIndex& index) const;
    void selectListRow(int row);

    // The remote side: the folders entered, the listing's entries, the connected state.
    RemoteFolder* const remote;
    // Values of the controller's own.
    QString downloadFolder;
    OwnedStream networkStream;
    std::optional<QByteArray> listData;
    // Lines of the running listing that could not be read and were skipped.
    int unreadableLines = 0;
    // Bytes the running listing has received.
    int64_t listedBytes = 0;
    QString status;

    // Outlets: settings panel and tabs.
    QWidget* window = nullptr;
    QDialog* ftpSettingPanel = nullptr;
    QTabWidget* tabView = nullptr;
    QWidget* ftpTabViewItem = nullptr;
    QWidget* proxyTabViewItem = nullptr;
    QWidget* serverTabViewItem = nullptr;
    QWidget* queueTabViewItem = nullptr;
    QPushButton* serverButton = nullptr;
    QPushButton* localButton = nullptr;
    // Beside the chooser: the path downloads go to now.
    QLabel* downloadFolderPathLabel = nullptr;
    // How many files move at once; saved as it changes.
    QSpinBox* transfersAtOnceField = nullptr;
    // FTP settings.
    QLabel* hostLabel = nullptr;
    QLineEdit* hostField = nullptr;
    QLineEdit* portField = nullptr;
    QLabel* directoryLabel = nullptr;
    QLineEdit* directoryField = nullptr;
    QCheckBox* passiveCheckBox = nullptr;
    QCheckBox* anonymousCheckBox = nullptr;
    QLabel* userLabel = nullptr;
    QLineEdit* userField = nullptr;
    QLabel* passwordLabel = nullptr;
    QLineEdit* passwordField = nullptr;
    // Proxy settings.
    QCheckBox* useProxyCheckBox = nullptr;
    QLabel* proxyHostLabel = nullptr;
    QLineEdit* proxyHostField = nullptr;
    QLineEdit* proxyPortField = nullptr;
    QLabel* proxyUserLabel = nullptr;
    QLineEdit* proxyUserField = nullptr;
    QLabel* proxyPasswordLabel = nullptr;
    QLineEdit* proxyPasswordField = nullptr;
    // Toolbar and activity indicator.
    QToolBar* toolbar = nullptr;
    QAction* connectItem = nullptr;
    QAction* disconnectItem = nullptr;
    QAction* saveItem = nullptr;
    QProgressBar* progressIndicator = nullptr;
    // Browser.
    QTableView* serverTable = nullptr;
    QLabel* ftpLocationLabel = nullptr;
    QLabel* statusLabel = nullptr;
    // Above the table: shows only the names holding its text.
    QLineEdit* filterField = nullptr;
    // The table's order and filter, and its keys and row menu.
    ListingSortFilter* tableSorter = nullptr;
    BrowserInput* browserInput = nullptr;
    QPushButton* preButton = nullptr;
    QPushButton* reloadButton = nullptr;
    QPushButton* downloadButton = nullptr;
    QPushButton* uploadButton = nullptr;
    QPushButton* createDirButton = nullptr;
    QPushButton* deleteButton = nullptr;
    // Queue display.
    QLabel* taskTypeLabel = nullptr;
    QLabel* percentageLabel = nullptr;
    QProgressBar* progress = nullptr;
    QProgressBar* progress0 = nullptr;
    // Shown while a transfer runs; it and Esc (cancelItem) cancel it.
    QPushButton* cancelButton = nullptr;
    QAction* cancelItem = nullptr;
    // What paints those four, for the download and the upload.
    QueueDisplay* queueDisplay = nullptr;

    // Shows a text in the status line under the table (the operations report failures there).
    void showStatus(const QString& text);

    // Connection security: the Protocol and Encryption choices on the FTP tab (saved with the
    // FTP group; Encryption applies to FTP only, which the note says under it while SFTP is
    // chosen) and the lock beside the browser buttons.
    QLabel* protocolLabel = nullptr;
    QComboBox* protocolPopUp = nullptr;
    QLabel* encryptionLabel = nullptr;
    QComboBox* encryptionPopUp = nullptr;
    QLabel* encryptionNote = nullptr;
    // SFTP's private key file, shown while SFTP is chosen.
    QLabel* keyFileLabel = nullptr;
    QLineEdit* keyFileField = nullptr;
    QLabel* securityLabel = nullptr;
    // What protected the latest listing's connection.
    ConnectionSecurity connectionSecurity;
    void connectSecurityOutlets(const Ui::CustomWindow& ui);
    void loadEncryption();
    void saveEncryption();
    // Idle (editable): the choices can be changed and the lock is blank.
    void setEncryptionEditable(bool editable);
    // The protocol chosen in the window (not yet saved, maybe).
    Protocol chosenProtocol() const;
    // Enables Encryption for FTP only and shows the note for SFTP; defaultPort: also switches a
    // port field holding the other protocol's default port (or nothing) to this one's.
    void applyProtocolChoice(bool defaultPort);
    // After a listing failed on TLS: asks the user where a decision can help (trust the
    // certificate, allow plain text) and answers whether to list again. A trust that could not
    // be saved leaves its reason in unsaved.
    bool decideOnSecurity(const ConnectionSecurity& security, QString* unsaved);
    // For SFTP with a key file that needs a passphrase not typed yet this run: asks for it.
    // False when the user cancelled.
    bool unlockKeyFile();
    // Shows the connection's protection; remembers hosts reached with TLS.
    void showSecurity(const ConnectionSecurity& security);

    // Saved sites: the chooser row at the top of the Server tab. The settings store holds the
    // site in use, siteStore every saved site; a link opened (ftp://...) is a connection of its
    // own that no site holds until the user saves it as one.
    QLabel* siteLabel = nullptr;
    QComboBox* siteChooser = nullptr;
    QPushButton* newSiteButton = nullptr;
    QPushButton* renameSiteButton = nullptr;
    QPushButton* duplicateSiteButton = nullptr;
    QPushButton* deleteSiteButton = nullptr;
    // Says that passwords stay in the private settings file, where no keyring answers.
    QLabel* passwordNoteLabel = nullptr;
    std::unique_ptr<SiteStore> siteStore;
    void connectSiteOutlets(const Ui::CustomWindow& ui);
    // Start-up: the saved sites, the site in use among them, and the question to the keyring.
    void initSites();
    void siteChosenAction(int index);
    void newSiteAction();
    void renameSiteAction();
    void duplicateSiteAction();
    void deleteSiteAction();
    // Saves the connection in use as a new site of that name, which becomes the one in use;
    // answers why not when the name cannot be used ("" when saved).
    QString saveSiteAs(const QString& name);
    // Makes the saved site of that name the one in use; false when there is none.
    bool chooseSiteNamed(const QString& name);
    // Connects to the server a link names, as a connection of its own; a bad link gets an
    // alert and changes nothing. False when it did not connect.
    bool openLink(const QString& link);
    // A site's name as the chooser shows it.
    static QString siteTitle(const Site& site);
    // Idle: the chooser and its buttons can be used.
    void setSitesEditable(bool editable);
    // A connect waits while the login's password may still come from the keyring.
    bool awaitingSecrets() const { return connectAfterSecrets; }

signals:
    // The listing stopped, with its final status ("List succeeded" or a failure).
    void listingStopped(const QString& statusText);
    // The user disconnected (and did not keep a running transfer instead).
    void disconnected();
    // The user chose to download the link entry of the folder at folderURL as a file.
    void linkDownloadRequested(const ListingEntry& entry, const QString& folderURL);

private:
    // Sites.
    void useSite(const QString& id);
    void storeCurrentSite();
    void showStoredSettings();
    void fillSiteChooser();
    void readSecrets(const QString& siteId);
    void keyringAnswered(bool available);
    // A site being renamed may keep its own name.
    std::optional<QString> promptSiteName(const QString& message, const QString& current,
                                          const Site* renamed = nullptr);
    QString siteNameProblem(const QString& name, const Site* renamed = nullptr) const;
    QString currentSiteId() const;
    Site* siteTitled(const QString& title) const;
    bool secretsUnknown() const;
    void secretsArrived();
    QString linkShown;   // the link in use, as the chooser shows it; "" for a saved site
    int secretReads = 0; // keyring reads for the site in use that have not answered
    QHash<QString, QString> keyringHolds; // what the keyring holds, by key, as far as known
    bool connectAfterSecrets = false;

    void armSaveItem();
    void applyProxyAppearance();
    void setLook(QWidget* control, bool active);
    void setAnimating(bool animating);

    ListingTableModel* tableModel = nullptr;
    // The link entered last as a folder, and the folder URL it was entered as.
    std::optional<ListingEntry> enteredLink;
    QString enteredLinkURL;
};

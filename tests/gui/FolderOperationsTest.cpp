#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "CreateDirDelegate.h"
#include "RenameDelegate.h"
#include "TinyProxy.h"
#include "VsftpdServer.h"
#include "WindowFixture.h"

namespace {

const QString kFolderSymbol = QStringLiteral("\U0001F4C1");

} // namespace

class FolderOperations : public WindowFixture
{
protected:
    CreateDirDelegate* createDir() const { return app->createDirDelegate(); }

    // Selects the row of that name and presses delete, the confirmation answered with code.
    void deleteRow(const QString& name, int code = Toolkit::kDefaultReturn)
    {
        const int row = rowNamed(name);
        ASSERT_GE(row, 0) << name.toStdString();
        selectRow(row);
        toolkit.answerAlert(code);
        controller()->deleteButton->click();
    }

    // A named login with URL-reserved characters (the folder operations build their URLs from
    // it) over a folder with a file, an empty folder, a full one and one taken name; listed.
    void connectWithLogin(const QString& password = {})
    {
        startServer(login);
        for (const char* name : {"taken", "empty dir", "full"})
            QDir(root()).mkpath(QLatin1String(name));
        writeFile(root() + "/a file.txt", "x");
        writeFile(root() + "/full/inside.txt", "x");
        startApp();
        connectAs(login.user, password.isNull() ? login.password : password);
        ASSERT_TRUE(waitForListing());
    }

    const FtpServer::Options login = FtpServer::loginOnly();
};

TEST_F(FolderOperations, AWrongPasswordShowsTheServersRefusalAndListsNothing)
{
    connectWithLogin(QStringLiteral("wrong"));
    EXPECT_EQ(c->status, "Stream open error");
    EXPECT_TRUE(c->statusLabel->text().contains("530")) << c->statusLabel->text().toStdString();
    EXPECT_EQ(c->numberOfRowsInTableView(), 0);
}

TEST_F(FolderOperations, CreateAsksForANameAgainWhenEmptyThenMakesTheFolderAndListsIt)
{
    connectWithLogin();
    ASSERT_EQ(c->status, "List succeeded");
    const int listings = listingsEnded;
    toolkit.answerAlert(Toolkit::kAlternateReturn);
    c->createDirButton->click();
    ASSERT_EQ(toolkit.alertsShown.size(), 1);
    const Toolkit::Alert& prompt = toolkit.alertsShown.first();
    EXPECT_TRUE(prompt.hasTextField);
    EXPECT_EQ(prompt.messageText, Controller::localizedString("PlsNewDir"));
    EXPECT_EQ(RemoteOperation::running(), nullptr);

    toolkit.answerAlert(Toolkit::kDefaultReturn, QString());
    toolkit.answerAlert(Toolkit::kDefaultReturn, QStringLiteral("new dir"));
    OperationRecorder created(createDir(), c);
    c->createDirButton->click();
    EXPECT_EQ(toolkit.alertsShown.size(), 3);
    ASSERT_TRUE(createDir()->networkStream);
    EXPECT_TRUE(createDir()
                    ->networkStream->url()
                    .toString(QUrl::FullyEncoded)
                    .endsWith(QStringLiteral("127.0.0.1:%1/new%20dir/").arg(server->port())));
    ASSERT_TRUE(created.waitForEnd());
    EXPECT_FALSE(created.status) << c->statusLabel->text().toStdString();
    EXPECT_TRUE(QFileInfo(root() + "/new dir").isDir());
    ASSERT_TRUE(waitForListing());
    EXPECT_EQ(listingsEnded, listings + 1);
    EXPECT_EQ(cell("FolderOrFile", rowNamed(QStringLiteral("new dir"))), kFolderSymbol);
}

TEST_F(FolderOperations, CreatingATakenNameShowsTheServersCodeAndWordsWithoutAListing)
{
    connectWithLogin();
    const int listings = listingsEnded;
    toolkit.answerAlert(Toolkit::kDefaultReturn, QStringLiteral("taken"));
    EXPECT_TRUE(runToEnd(createDir(), [this] { c->createDirButton->click(); }));
    EXPECT_TRUE(statusStartsWith("Create folder failed: 550 "));
    EXPECT_FALSE(c->isReceiving());
    EXPECT_EQ(listingsEnded, listings);
}

// A name that is not one folder never reaches the server, nor is a deletion asked about.
TEST_F(FolderOperations, CreateAndDeleteRefuseWhatIsNotOneNameBeforeAsking)
{
    connectWithLogin();
    toolkit.answerAlert(Toolkit::kDefaultReturn, QStringLiteral("x\r\nRMD taken"));
    c->createDirButton->click();
    EXPECT_TRUE(statusStartsWith("Refused to create"));
    EXPECT_FALSE(createDir()->networkStream);
    EXPECT_EQ(folderEntries(root()), (QStringList{"a file.txt", "empty dir", "full", "taken"}));
    EXPECT_EQ(RemoteOperation::running(), nullptr);
    const qsizetype asked = toolkit.alertsShown.size();
    c->serverTable->clearSelection();
    c->deleteButton->click();
    addListedEntry("x\r\nDELE a file.txt");
    selectRow(c->numberOfRowsInTableView() - 1);
    c->deleteButton->click();
    EXPECT_TRUE(statusStartsWith("Refused to delete"));
    EXPECT_EQ(toolkit.alertsShown.size(), asked);
    EXPECT_TRUE(QFileInfo::exists(root() + "/a file.txt"));
}

TEST_F(FolderOperations, DeleteAsksFirstAndCancelKeepsTheEntry)
{
    connectWithLogin();
    const int listings = listingsEnded;
    deleteRow(QStringLiteral("a file.txt"), Toolkit::kAlternateReturn);
    ASSERT_EQ(toolkit.alertsShown.size(), 1);
    EXPECT_EQ(toolkit.alertsShown.last().messageText, Controller::localizedString("DeleteConfirm"));
    EXPECT_TRUE(QFileInfo::exists(root() + "/a file.txt"));
    EXPECT_FALSE(c->isReceiving());
    EXPECT_EQ(listingsEnded, listings);
}

TEST_F(FolderOperations, DeleteRemovesFilesAndEmptyFoldersAndAFullOneShowsTheServersRefusal)
{
    connectWithLogin();
    for (const QString& name : {QStringLiteral("a file.txt"), QStringLiteral("empty dir")}) {
        deleteRow(name);
        EXPECT_FALSE(QFileInfo::exists(root() + "/" + name)) << name.toStdString();
        ASSERT_TRUE(waitForListing());
        EXPECT_EQ(rowNamed(name), -1);
    }
    const int before = listingsEnded;
    deleteRow(QStringLiteral("full"));
    EXPECT_TRUE(statusStartsWith("Delete failed: 550 "));
    EXPECT_TRUE(QFileInfo::exists(root() + "/full/inside.txt"));
    EXPECT_FALSE(c->isReceiving());
    EXPECT_EQ(listingsEnded, before);
}

TEST_F(FolderOperations, DeleteGoesThroughTheProxyAndNeverAroundIt)
{
    startServer();
    writeFile(root() + "/one.txt", "x");
    writeFile(root() + "/two.txt", "x");
    TinyProxy proxy(QStringLiteral("proxyuser"), QStringLiteral("proxy-secret"));
    if (!proxy.start())
        GTEST_SKIP() << "tinyproxy cannot run here: " << proxy.problem().toStdString();
    startApp();
    c->useProxyCheckBox->click();
    c->proxyHostField->setText(QStringLiteral("127.0.0.1"));
    c->proxyPortField->setText(QString::number(proxy.port()));
    c->proxyUserField->setText(QStringLiteral("proxyuser"));
    c->proxyPasswordField->setText(QStringLiteral("proxy-secret"));
    connectAndList();

    const QString tunnel = QStringLiteral("CONNECT 127.0.0.1:%1").arg(server->port());
    const int tunnels = proxy.log().count(tunnel);
    const int connections = server->connections();
    deleteRow(QStringLiteral("one.txt"));
    EXPECT_FALSE(QFileInfo::exists(root() + "/one.txt")) << c->statusLabel->text().toStdString();
    // The delete's own control connection came through the proxy.
    EXPECT_EQ(proxy.log().count(tunnel), tunnels + 1) << proxy.log().toStdString();
    ASSERT_TRUE(waitForListing());

    // With the proxy gone, nothing reaches the server.
    proxy.stop();
    const int afterProxy = server->connections();
    EXPECT_GE(afterProxy, connections + 1);
    deleteRow(QStringLiteral("two.txt"));
    EXPECT_TRUE(statusStartsWith("Delete failed"));
    EXPECT_TRUE(QFileInfo::exists(root() + "/two.txt"));
    QTest::qWait(100);
    EXPECT_EQ(server->connections(), afterProxy);
}

TEST_F(FolderOperations, OneOperationRunsAtATimeFolderOperationsAreRefusedTransfersWait)
{
    // A download from a server that stops answering keeps running.
    startServer();
    writeSparseFile(server->localPath(QStringLiteral("big.bin")));
    writeFile(server->localPath(QStringLiteral("victim.txt")), "x");
    connectAndList();
    OperationRecorder running(download(), c);
    ASSERT_NO_FATAL_FAILURE(stallDownload(QStringLiteral("big.bin")));
    const FtpStream* stream = download()->networkStream.get();

    // Only something outside the window's own buttons could start another operation now: the
    // slot refuses it.
    c->setButtonsState(true);
    const QString refused = QStringLiteral("Refused: another transfer or folder operation is "
                                           "still running");
    selectRow(rowNamed(QStringLiteral("victim.txt")));
    for (QPushButton* button : {c->createDirButton, c->deleteButton}) {
        c->showStatus(QString());
        button->click();
        EXPECT_EQ(c->statusLabel->text(), refused) << button->objectName().toStdString();
    }
    // A download asked for meanwhile waits for the slot.
    c->downloadButton->click();
    EXPECT_EQ(c->statusLabel->text(), "Queued until the running operation ends");
    // No dialog was shown, nothing was touched, and the download still has its own stream.
    EXPECT_TRUE(toolkit.alertsShown.isEmpty() && toolkit.panelsShown.isEmpty());
    EXPECT_TRUE(QFileInfo::exists(server->localPath(QStringLiteral("victim.txt"))));
    EXPECT_TRUE(download()->isRunning());
    EXPECT_EQ(download()->networkStream.get(), stream);
    EXPECT_FALSE(running.ended);
    EXPECT_FALSE(QFileInfo::exists(downloads.filePath(QStringLiteral("victim.txt"))));

    // Once it ends (cancelled), the waiting download runs.
    OperationRecorder next(download(), c);
    server->resume();
    c->cancelButton->click();
    ASSERT_TRUE(running.waitForEnd());
    EXPECT_TRUE(running.status);
    ASSERT_TRUE(QTest::qWaitFor([&] { return next.ended && !next.status; }, 20000));
    EXPECT_EQ(readFile(downloads.filePath(QStringLiteral("victim.txt"))), "x");
    EXPECT_EQ(RemoteOperation::running(), nullptr);
}

TEST_F(FolderOperations, AgainstVsftpdLatin1NamesAreEnteredAndFetchedByTheirBytes)
{
    VsftpdServer vsftpd;
    if (!vsftpd.start())
        GTEST_SKIP() << "vsftpd cannot run here: " << vsftpd.problem().toStdString();
    // vsftpd lists names in a single-byte code as they are (pyftpdlib rewrites them): shown as
    // Latin-1, entered and fetched by their bytes.
    const QByteArray folder = QFile::encodeName(vsftpd.root()) + "/caf\xE9";
    ASSERT_EQ(::mkdir(folder.constData(), 0755), 0);
    const int fd = ::open((folder + "/caf\xE9.txt").constData(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "latin", 5), 5);
    ::close(fd);
    connectAndList(vsftpd.port());

    doubleClickRow(rowNamed(QStringLiteral("caf\u00E9")));
    EXPECT_EQ(c->remote->FTP_URL, QStringLiteral("ftp://127.0.0.1:%1/caf%E9/").arg(vsftpd.port()));
    ASSERT_TRUE(waitForListing());
    EXPECT_EQ(c->status, "List succeeded");
    OperationRecorder latin(download(), c);
    downloadRow(QStringLiteral("caf\u00E9.txt"));
    ASSERT_TRUE(download()->networkStream);
    EXPECT_TRUE(download()
                    ->networkStream->url()
                    .toString(QUrl::FullyEncoded)
                    .endsWith("/caf%E9/caf%E9.txt"));
    ASSERT_TRUE(latin.waitForEnd());
    EXPECT_FALSE(latin.status) << c->statusLabel->text().toStdString();
    EXPECT_EQ(readFile(downloads.filePath(QStringLiteral("caf\u00E9.txt"))), "latin");
    // Names the temporary folder's clean-up cannot spell.
    ::unlink((folder + "/caf\xE9.txt").constData());
    ::rmdir(folder.constData());
}

// An IPv6 host in brackets: every operation's URL keeps them and reaches its entry.
TEST_F(FolderOperations, AgainstAnIpv6ServerEveryOperationReachesItsEntry)
{
    FtpServer::Options options;
    options.host = QStringLiteral("::1");
    startServer(options);
    QDir(root()).mkpath(QStringLiteral("a b/old dir"));
    writeFile(root() + "/a b/get.txt", "0123456789");
    const QString local = downloads.filePath(QStringLiteral("up.txt"));
    writeFile(local, "up");
    connectAndList();

    doubleClickRow(rowNamed(QStringLiteral("a b")));
    ASSERT_TRUE(waitForListing());
    ASSERT_EQ(c->status, "List succeeded") << c->statusLabel->text().toStdString();
    EXPECT_EQ(c->remote->getCurrentFTPURL(), rootUrl() + "a%20b/");
    EXPECT_FALSE(downloadAndWait(QStringLiteral("get.txt")));
    EXPECT_EQ(readFile(downloads.filePath(QStringLiteral("get.txt"))), "0123456789");
    EXPECT_FALSE(runToEnd(upload(), [&] { uploadFiles({local}); }));
    ASSERT_TRUE(waitForListing());
    toolkit.answerAlert(Toolkit::kDefaultReturn, QStringLiteral("new dir"));
    EXPECT_FALSE(runToEnd(createDir(), [this] { c->createDirButton->click(); }));
    ASSERT_TRUE(waitForListing());
    app->renameDelegate()->renameEntry(rowNamed(QStringLiteral("get.txt")),
                                       QStringLiteral("got.txt"));
    ASSERT_TRUE(waitForListing());
    deleteRow(QStringLiteral("old dir"));
    ASSERT_TRUE(waitForListing());
    EXPECT_EQ(folderEntries(root() + "/a b"), (QStringList{"got.txt", "new dir", "up.txt"}))
        << c->statusLabel->text().toStdString();
}

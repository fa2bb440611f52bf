#include <unistd.h>

#include "Classes/TransferQueue.h"
#include "CreateDirDelegate.h"
#include "DeleteDelegate.h"
#include "WindowFixture.h"

namespace {

const QString kFolderSymbol = QStringLiteral("\U0001F4C1");

} // namespace

class FolderOperations : public WindowFixture
{
protected:
    CreateDirDelegate* createDir() const { return app->createDirDelegate(); }

    // Connects, downloads the folder "tree" and waits, bounded, for the queue to drain.
    bool fetchTree()
    {
        connectAndList();
        bool drained = false;
        QObject context;
        QObject::connect(app->transferQueue(), &TransferQueue::drained, &context,
                         [&] { drained = true; });
        selectRow(rowNamed("tree"));
        c->downloadButton->click();
        return QTest::qWaitFor([&] { return drained; }, 60000);
    }

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
    void connectWithLogin()
    {
        startServer(login);
        for (const char* name : {"taken", "empty dir", "full"})
            QDir(root()).mkpath(QLatin1String(name));
        writeFile(root() + "/a file.txt", "x");
        writeFile(root() + "/full/inside.txt", "x");
        startApp();
        connectAs(login.user, login.password);
        ASSERT_TRUE(waitForListing());
    }

    const FtpServer::Options login = FtpServer::loginOnly();
};

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
    ASSERT_TRUE(created.waitForEnd());
    EXPECT_FALSE(created.status) << c->statusLabel->text().toStdString();
    EXPECT_TRUE(QFileInfo(root() + "/new dir").isDir());
    ASSERT_TRUE(waitForListing());
    EXPECT_EQ(listingsEnded, listings + 1);
    EXPECT_EQ(cell("FolderOrFile", rowNamed(QStringLiteral("new dir"))), kFolderSymbol);
}

// A name that is not one folder never reaches the server.
TEST_F(FolderOperations, CreateRefusesWhatIsNotOneName)
{
    connectWithLogin();
    toolkit.answerAlert(Toolkit::kDefaultReturn, QStringLiteral("x\r\nRMD taken"));
    c->createDirButton->click();
    EXPECT_TRUE(statusStartsWith("Refused to create"));
    EXPECT_FALSE(createDir()->networkStream);
    EXPECT_EQ(folderEntries(root()), (QStringList{"a file.txt", "empty dir", "full", "taken"}));
    EXPECT_EQ(RemoteOperation::running(), nullptr);
}

TEST_F(FolderOperations, DeleteTakesAFolderWithItsTreeAfterSayingHowMuchGoes)
{
    connectWithLogin();
    ASSERT_TRUE(QDir(root()).mkpath("full/sub"));
    writeFile(root() + "/full/sub/deeper.txt", "x");
    ASSERT_EQ(::symlink("..", QFile::encodeName(root() + "/full/sub/up").constData()), 0);
    ASSERT_EQ(runToEnd(app->deleteDelegate(), [&] { deleteRow(QStringLiteral("full")); }),
              std::nullopt);
    ASSERT_EQ(toolkit.alertsShown.size(), 1);
    // The link counts as a file and goes as itself: nothing above the tree is touched.
    EXPECT_TRUE(toolkit.alertsShown[0].informativeText.startsWith(
        "Delete \"full\" with 3 files in 2 folders?"))
        << toolkit.alertsShown[0].informativeText.toStdString();
    EXPECT_TRUE(toolkit.alertsShown[0].alternateIsDefault);
    EXPECT_FALSE(QFileInfo::exists(root() + "/full"));
    EXPECT_TRUE(QFileInfo::exists(root() + "/a file.txt"));
}

TEST_F(FolderOperations, DeleteOfATreeStopsAtARefusalAndSaysWhatIsLeft)
{
    FtpServer::Options options;
    options.readOnlyFolders = {QStringLiteral("full/locked")};
    startServer(options);
    writeFile(root() + "/full/inside.txt", "x");
    writeFile(root() + "/full/locked/kept.txt", "x");
    connectAndList();
    runToEnd(app->deleteDelegate(), [&] { deleteRow(QStringLiteral("full")); });
    EXPECT_TRUE(statusStartsWith("Delete failed: "));
    EXPECT_TRUE(c->statusLabel->text().endsWith("; 2 files in 2 folders left"))
        << c->statusLabel->text().toStdString();
    EXPECT_TRUE(QFileInfo::exists(root() + "/full/locked/kept.txt"));
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

TEST_F(FolderOperations, ATreeArrivesWholeFromAServerThatTakesOneConnection)
{
    // The subfolder is listed ahead, while the files above still move, on one connection more:
    // refused here, it is listed again once a connection is free.
    startServer([](auto& o) { o.maxConnections = 1; });
    const QStringList names{"a", "b", "c", "d", "sub/e"};
    for (const QString& name : names)
        writeFiles(root(), {{"tree/" + name, pattern(2000000)}});
    ASSERT_TRUE(fetchTree());
    for (const QString& name : names)
        EXPECT_TRUE(readFile(downloads.filePath("tree/" + name)) == pattern(2000000))
            << name.toStdString();
}

TEST_F(FolderOperations, ASmallFileThatShrankAfterTheListingComesWholeAsSizeSays)
{
    // A small file is fetched without SIZE first; what came is not the listing's size, so SIZE
    // decides on a second fetch.
    startServer();
    writeFile(root() + "/notes.txt", pattern(5000));
    connectAndList();
    writeFile(root() + "/notes.txt", pattern(3000));
    EXPECT_FALSE(downloadAndWait(QStringLiteral("notes.txt")));
    EXPECT_EQ(readFile(downloads.filePath(QStringLiteral("notes.txt"))), pattern(3000));
}

TEST_F(FolderOperations, AFolderListedRightAfterAFileIsNotLostToTheServersConnectionLimit)
{
    // The subfolder is listed as the one file above it ends, before that file's connection is
    // back: refused (421), it is listed again a moment later, not counted as failed.
    startServer([](auto& o) { o.maxConnections = 1; });
    writeFiles(root(), {{"tree/a", "a"}, {"tree/sub/e", "e"}});
    ASSERT_TRUE(fetchTree());
    EXPECT_EQ(readFile(downloads.filePath("tree/sub/e")), "e");
}

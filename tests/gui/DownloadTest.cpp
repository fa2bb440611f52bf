#include "ShortTimeouts.h"
#include "WindowFixture.h"

namespace {

const QString kDownArrow = "\u2B07\uFE0F";

} // namespace

using Download = WindowFixture;

TEST_F(Download, ShowsWholePercentagesPerChunkThenResetsTheQueueDisplay)
{
    startServer();
    const QByteArray content = pattern(100000);
    writeFile(root() + "/data.bin", content);
    writeFile(root() + "/empty.txt", {});
    connectAndList();
    const int listings = listingsEnded;
    const QString local = downloads.filePath("data.bin");
    writeFile(local, "an existing copy, replaced without a question");
    activate();
    selectRow(rowNamed("data.bin"));

    OperationRecorder recorder(download(), c);
    {
        // Events wait until the whole file is in the stream's buffer, so that every read is a
        // full 32,768-byte chunk but the last, however the bytes arrived.
        StreamModalHold hold;
        QTest::mouseClick(c->downloadButton, Qt::LeftButton);
        EXPECT_EQ(c->statusLabel->text(), "Downloading data.bin");
        EXPECT_EQ(c->taskTypeLabel->text(), kDownArrow);
        EXPECT_EQ(c->progress->toolTip(), local);
        EXPECT_FALSE(c->progress->isHidden() || c->progress0->isHidden());
        EXPECT_EQ(enabledBrowserButtons(), 0);
        ASSERT_TRUE(download()->networkStream);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return download()->networkStream->bufferedBytes() == content.size(); }, 20000));
    }
    ASSERT_TRUE(recorder.waitForEnd());
    EXPECT_FALSE(recorder.status) << c->statusLabel->text().toStdString();
    EXPECT_EQ(recorder.states,
              (QStringList{"|0|0", "32%|32|32", "65%|65|65", "98%|98|98", "100%|100|100", "|0|0"}));
    EXPECT_EQ(c->statusLabel->text(), "Downloaded data.bin to " + downloads.path());
    EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(c->serverTable));
    EXPECT_EQ(c->taskTypeLabel->text(), "");
    EXPECT_EQ(c->progress->toolTip(), "");
    EXPECT_TRUE(c->progress->isHidden() && c->progress0->isHidden());
    EXPECT_EQ(enabledBrowserButtons(), 5); // all but the parent-folder button, at the root
    EXPECT_FALSE(download()->networkStream || download()->fileStream);
    EXPECT_TRUE(readFile(local) == content);
    EXPECT_TRUE(toolkit.alertsShown.isEmpty());
    EXPECT_EQ(folderEntries(downloads.path()), QStringList{"data.bin"});
    EXPECT_EQ(listingsEnded, listings); // a download changes nothing on the server

    // An empty file shows only the start and the reset.
    QStringList states;
    EXPECT_FALSE(downloadAndWait("empty.txt", &states));
    EXPECT_EQ(states, (QStringList{"|0|0", "|0|0"}));
    EXPECT_EQ(readFile(downloads.filePath("empty.txt")), "");
}

TEST_F(Download, AFileThatGrewAfterTheListingComesWholeAndNeverShowsPast100)
{
    // Without SIZE for grows.bin, the listing's size is all that is known of it.
    startServer([](auto& o) { o.noSize = "grows"; });
    const QByteArray grown = pattern(300000);
    writeFile(root() + "/grows.bin", grown.left(40000));
    connectAndList();
    writeFile(root() + "/grows.bin", grown);
    QStringList states;
    EXPECT_FALSE(downloadAndWait("grows.bin", &states));
    EXPECT_TRUE(readFile(downloads.filePath("grows.bin")) == grown);
    ASSERT_GE(states.size(), 3);
    for (const QString& state : states) {
        const QString label = state.section('|', 0, 0);
        if (label.endsWith('%')) {
            EXPECT_LE(label.chopped(1).toInt(), 100) << state.toStdString();
        }
    }
    // The last change before the reset counts the bytes, as for an unknown size.
    EXPECT_TRUE(states[states.size() - 2].startsWith("293.0 KB|"))
        << states.join(' ').toStdString();
}

// A failure leaves the local copy as it was, and another file with the partial name too; what
// came goes to a free partial name beside them. Here the server sends half and says it is done,
// then the server is lost midway.
TEST_F(Download, AFailureKeepsExistingFilesAndPutsWhatCameAside)
{
    ShortTimeouts shortTimeouts;
    startServer([](auto& o) { o.shortSuffix = ".short"; });
    const QByteArray content = pattern(1000000);
    writeFile(root() + "/big.short", content);
    writeSparseFile(root() + "/big.bin");
    connectAndList();
    const QString local = downloads.filePath("big.short");
    writeFile(local, "the good copy");
    EXPECT_EQ(downloadAndWait("big.short"), "Download incomplete: 500000 of 1000000 bytes");
    EXPECT_EQ(c->statusLabel->text(), "Download incomplete: 500000 of 1000000 bytes");
    EXPECT_EQ(readFile(local), "the good copy");
    EXPECT_TRUE(readFile(local + ".part") == content.left(500000));

    writeFile(downloads.filePath("big.bin"), "precious");
    writeFile(downloads.filePath("big.bin.part"), "someone else's");
    OperationRecorder failed(download(), c);
    ASSERT_NO_FATAL_FAILURE(stallDownload("big.bin"));
    server->kill();
    ASSERT_TRUE(failed.waitForEnd());
    ASSERT_TRUE(failed.status);
    EXPECT_TRUE(*failed.status == "Network read error" || *failed.status == "Stream open error")
        << failed.status->toStdString();
    EXPECT_TRUE(statusStartsWith(*failed.status));
    EXPECT_EQ(readFile(downloads.filePath("big.bin")), "precious");
    EXPECT_EQ(readFile(downloads.filePath("big.bin.part")), "someone else's");
    const QFileInfo partial(downloads.filePath("big.bin.1.part"));
    EXPECT_GT(partial.size(), 0);
    EXPECT_LT(partial.size(), 24 * 1024 * 1024);
    // The window is ready for the next operation.
    EXPECT_EQ(queueState(), "|0|0");
    EXPECT_EQ(enabledBrowserButtons(), 5);
}

// The name checks' own test holds the hostile names; here one that no local file should show.
TEST_F(Download, AFullDiskIsAFileWriteErrorLeavingOnlyThePartialFile)
{
    startServer();
    writeSparseFile(root() + "/big.bin");
    connectAndList();
    SmallDisk disk;
    if (!disk.works)
        GTEST_SKIP() << "the file size limit cannot be set";
    EXPECT_EQ(downloadAndWait("big.bin"), "File write error");
    EXPECT_FALSE(QFileInfo::exists(downloads.filePath("big.bin")));
    const qint64 kept = QFileInfo(downloads.filePath("big.bin.part")).size();
    EXPECT_GT(kept, 0);
    EXPECT_LE(kept, 64 * 1024);
}

TEST_F(Download, NoSelectionOrAnUnsafeNameFetchesNothing)
{
    startServer([](auto& o) { o.verbose = true; });
    connectAndList();
    c->downloadButton->click();
    addListedEntry("rlo-\xe2\x80\xaetxt.exe");
    selectRow(c->numberOfRowsInTableView() - 1);
    c->downloadButton->click();
    EXPECT_TRUE(statusStartsWith("Refused to download")) << c->statusLabel->text().toStdString();
    EXPECT_TRUE(c->statusLabel->text().endsWith("direction character"));
    EXPECT_FALSE(download()->isRunning());
    EXPECT_EQ(enabledBrowserButtons(), 5);
    EXPECT_TRUE(toolkit.alertsShown.isEmpty());
    EXPECT_TRUE(folderEntries(downloads.path()).isEmpty());
    EXPECT_FALSE(server->commandLog().contains("RETR")) << server->commandLog().toStdString();
}

TEST_F(Download, TheDefaultFolderIsMadeWhenMissingAChosenOneThatVanishedIsNamed)
{
    startServer();
    writeFiles(root(), {{"a.txt", "a"}, {"f/b.txt", "b"}});
    connectAndList();

    // A chosen folder that has gone: refused, nothing made, nothing fetched.
    const QString gone = downloads.filePath("gone");
    c->downloadFolder = gone;
    downloadRow("a.txt");
    EXPECT_EQ(c->statusLabel->text(), "The download folder \"" + gone + "\" does not exist");
    EXPECT_FALSE(QFileInfo::exists(gone));
    EXPECT_FALSE(download()->isRunning());

    const QString folder = MiscTool::getDownloadFolder();
    if (QFileInfo::exists(folder))
        GTEST_SKIP() << "the default download folder exists already";
    c->downloadFolder = folder;
    EXPECT_FALSE(downloadAndWait("a.txt"));
    EXPECT_EQ(c->statusLabel->text(), "Downloaded a.txt to ~/Downloads");
    EXPECT_EQ(QFileInfo(folder).permissions(), QFile::ReadOwner | QFile::WriteOwner |
                                                   QFile::ExeOwner | QFile::ReadUser |
                                                   QFile::WriteUser | QFile::ExeUser);
    EXPECT_EQ(readFile(folder + "/a.txt"), "a");
    QFile::remove(folder + "/a.txt");
    QDir().rmdir(folder);

    // A folder's tree, likewise.
    downloadRow("f");
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(folder + "/f/b.txt"); }, 20000));
    EXPECT_TRUE(QTest::qWaitFor([] { return RemoteOperation::running() == nullptr; }, 20000));
    QDir(folder).removeRecursively();
}

// A link shows as a folder; one to a file is fetched as that file when entering it fails (the
// folder download fetches one from its row).
TEST_F(Download, ALinkToAFileIsOfferedForDownloadWhenEnteringItFails)
{
    startServer();
    writeFiles(root(), {{"sub/f.txt", "0123456789"}});
    ASSERT_TRUE(QFile::link("sub/f.txt", root() + "/link"));
    connectAndList();
    const QString fetched = downloads.filePath("link");

    toolkit.answerAlert(Toolkit::kDefaultReturn);
    const std::optional<QString> status =
        runToEnd(download(), [this] { doubleClickRow(rowNamed("link")); });
    EXPECT_FALSE(status) << status->toStdString();
    ASSERT_EQ(toolkit.alertsShown.size(), 1);
    EXPECT_EQ(toolkit.alertsShown.first().informativeText,
              Controller::localizedString("LinkNotFolderInfo"));
    EXPECT_EQ(readFile(fetched), "0123456789");
    // Back in the folder that lists the link.
    ASSERT_TRUE(waitForListing());
    EXPECT_EQ(c->remote->ftpURLStack, QStringList{rootUrl()});
    EXPECT_GE(rowNamed("link"), 0);
}

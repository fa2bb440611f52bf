#include <sys/stat.h>

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "Classes/QueueDisplay.h"
#include "MiscTool.h"
#include "WindowFixture.h"

namespace {

const QString kUpArrow = QStringLiteral("\u2B06\uFE0F");

} // namespace

class Upload : public WindowFixture
{
protected:
    QTemporaryDir local;
};

TEST_F(Upload, ShowsPercentagesWithTheSecondBarEmptyingListsTheFolderAgainRefusalsChangeNothing)
{
    FtpServer::Options options;
    options.refuseSuffix = QStringLiteral(".refused");
    startServer(options);
    connectAndList();
    const int listings = listingsEnded;

    // Cancelling the open panel, a name that would split a command, and a server that refuses
    // the stored file change nothing and list nothing again.
    toolkit.answerOpenPanel(Toolkit::kAlternateReturn);
    c->uploadButton->click();
    EXPECT_EQ(toolkit.panelsShown.size(), 1);
    EXPECT_EQ(c->statusLabel->text(), "List succeeded");

    const QString hostile = local.filePath(QStringLiteral("x\r\nDELE y"));
    writeFile(hostile, "x");
    uploadFiles({hostile});
    EXPECT_TRUE(c->statusLabel->text().startsWith("Refused to upload"));

    EXPECT_FALSE(upload()->networkStream || upload()->fileStream);
    EXPECT_EQ(RemoteOperation::running(), nullptr);
    EXPECT_EQ(enabledBrowserButtons(), 5);
    EXPECT_EQ(listingsEnded, listings);
    EXPECT_TRUE(QDir(root()).isEmpty());

    // A server that refuses the stored file: the upload fails, and no new listing.
    writeFile(local.filePath(QStringLiteral("x.refused")), pattern(50000));
    EXPECT_EQ(runToEnd(upload(), [&] { uploadFiles({local.filePath("x.refused")}); }),
              "Upload not confirmed by the server");
    EXPECT_TRUE(c->statusLabel->text().startsWith("Upload not confirmed by the server"));
    EXPECT_EQ(listingsEnded, listings);
    EXPECT_EQ(queueState(), "|0|0");
    EXPECT_EQ(enabledBrowserButtons(), 5);

    // A file that goes through: percentages, the second bar emptying, the folder listed again.
    const QByteArray content = pattern(100000);
    const QString path = local.filePath(QStringLiteral("up.bin"));
    writeFile(path, content);

    OperationRecorder recorder(upload(), c);
    uploadFiles({path});
    ASSERT_EQ(toolkit.panelsShown.size(), 4);
    const Toolkit::OpenPanel& panel = toolkit.panelsShown.last();
    EXPECT_TRUE(panel.canChooseFiles);
    EXPECT_FALSE(panel.canChooseDirectories);
    EXPECT_EQ(c->taskTypeLabel->text(), kUpArrow);
    EXPECT_EQ(c->progress0->toolTip(), "Upload:" + path);
    EXPECT_FALSE(c->progress->isHidden() || c->progress0->isHidden());
    EXPECT_EQ(enabledBrowserButtons(), 0);
    ASSERT_TRUE(upload()->networkStream);
    EXPECT_EQ(upload()->networkStream->url().toString(QUrl::FullyEncoded), rootUrl() + "up.bin");

    // The stream takes each 32,768-byte refill whole: 32,768 x 3 and 1,696.
    ASSERT_TRUE(recorder.waitForEnd());
    EXPECT_FALSE(recorder.status) << c->statusLabel->text().toStdString();
    EXPECT_EQ(recorder.states,
              (QStringList{"|0|100", "32%|32|68", "65%|65|35", "98%|98|2", "100%|100|0", "|0|0"}));
    EXPECT_EQ(c->taskTypeLabel->text(), "");
    EXPECT_TRUE(c->progress->isHidden() && c->progress0->isHidden());
    EXPECT_EQ(enabledBrowserButtons(), 5);
    EXPECT_TRUE(readFile(server->localPath(QStringLiteral("up.bin"))) == content);
    ASSERT_TRUE(waitForListing());
    EXPECT_EQ(listingsEnded, listings + 1);
    EXPECT_EQ(cell("FileSize", rowNamed(QStringLiteral("up.bin"))), "97.7 KB");

    // An empty file ends at the first has-space event and is stored empty.
    writeFile(local.filePath(QStringLiteral("empty file")), {});
    QStringList states;
    EXPECT_FALSE(runToEnd(
        upload(), [&] { uploadFiles({local.filePath("empty file")}); }, &states));
    EXPECT_EQ(states, (QStringList{"|0|100", "|0|0"}));
    EXPECT_EQ(readFile(server->localPath(QStringLiteral("empty file"))), "");
    ASSERT_TRUE(waitForListing());
    EXPECT_GE(rowNamed(QStringLiteral("empty file")), 0);
}

TEST_F(Upload, BytesTheNetworkDidNotTakeAreOfferedFirstAtTheNextEvent)
{
    startServer();
    connectAndList();
    UploadDelegate* up = upload();

    // The file is a pipe that hands out 10,000 bytes a read: refills that do not add up to the
    // stream's buffer, and a size of 0 for the queue display, which then counts bytes.
    const QByteArray content = pattern(8 * 1024 * 1024 + 7);
    const QString source = local.filePath(QStringLiteral("source.bin"));
    writeFile(source, content);
    const QString fifo = local.filePath(QStringLiteral("piped.bin"));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QProcess feeder;
    feeder.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(TANDREL_GUI_TEST_DIR "/pipe-feeder.py"), source, fifo});
    ASSERT_TRUE(feeder.waitForStarted(5000));

    // Before each send step ends: the bytes still buffered, and whether the file was read.
    struct Step
    {
        uint64_t offset, limit;
        int64_t sent;
    };
    QList<Step> steps;
    QObject context;
    QObject::connect(c->queueDisplay, &QueueDisplay::changed, &context, [&] {
        steps.append({up->bufferOffset, up->bufferLimit, up->sentBytes});
    });
    OperationRecorder recorder(up, c);
    uploadFiles({fifo});
    EXPECT_EQ(up->fileSize, 0);
    // A stopped server fills the stream's buffer: a write then takes less than offered.
    ASSERT_TRUE(QTest::qWaitFor([&] { return up->sentBytes > 0; }, 20000));
    server->suspend();
    const auto partial = [](const Step& step) { return step.offset < step.limit; };
    const bool sawPartial =
        QTest::qWaitFor([&] { return std::any_of(steps.begin(), steps.end(), partial); }, 20000);
    server->resume();
    ASSERT_TRUE(sawPartial);
    ASSERT_TRUE(recorder.waitForEnd(60000));
    EXPECT_FALSE(recorder.status) << c->statusLabel->text().toStdString();
    if (feeder.state() != QProcess::NotRunning)
        feeder.waitForFinished(5000);
    EXPECT_EQ(feeder.exitCode(), 0) << feeder.readAllStandardError().toStdString();

    // Without a size the label counts bytes and the bars stay as they started.
    const Step& last = steps[steps.size() - 2];
    EXPECT_EQ(recorder.states[recorder.states.size() - 2],
              MiscTool::convertBytes(static_cast<uint64_t>(last.sent)) + "|0|100");
    EXPECT_EQ(last.sent, content.size());
    // What a partial write left was sent next, neither dropped nor sent twice.
    EXPECT_TRUE(readFile(server->localPath(QStringLiteral("piped.bin"))) == content);
}

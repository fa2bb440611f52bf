#include "WindowFixture.h"

namespace {

const QString kUpArrow = "\u2B06\uFE0F";

} // namespace

class Upload : public WindowFixture
{
protected:
    QTemporaryDir local;
};

TEST_F(Upload, ShowsPercentagesWithTheSecondBarEmptyingThenListsTheFolderAgain)
{
    startServer([](auto& o) { o.refuseSuffix = ".refused"; });
    connectAndList();
    const int listings = listingsEnded;
    // A cancelled open panel sends nothing.
    toolkit.answerOpenPanel(Toolkit::kAlternateReturn);
    c->uploadButton->click();
    EXPECT_EQ(RemoteOperation::running(), nullptr);
    const QByteArray content = pattern(100000);
    const QString path = local.filePath("up.bin");
    writeFile(path, content);

    OperationRecorder recorder(upload(), c);
    uploadFiles({path});
    ASSERT_EQ(toolkit.panelsShown.size(), 2);
    EXPECT_TRUE(toolkit.panelsShown[1].canChooseFiles &&
                toolkit.panelsShown[1].canChooseDirectories);
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
    EXPECT_TRUE(c->taskTypeLabel->text().isEmpty() && c->progress->isHidden() &&
                c->progress0->isHidden());
    EXPECT_EQ(enabledBrowserButtons(), 5);
    EXPECT_TRUE(readFile(server->localPath("up.bin")) == content);
    ASSERT_TRUE(waitForListing());
    EXPECT_EQ(listingsEnded, listings + 1);

    // An empty file ends at the first has-space event and is stored empty.
    writeFile(local.filePath("empty file"), {});
    QStringList states;
    EXPECT_FALSE(runToEnd(
        upload(), [&] { uploadFiles({local.filePath("empty file")}); }, &states));
    EXPECT_EQ(states, (QStringList{"|0|100", "|0|0"}));
    EXPECT_TRUE(QFileInfo(server->localPath("empty file")).isFile());
    ASSERT_TRUE(waitForListing());

    // One the server refuses after its data is not done, and lists nothing again.
    const int before = listingsEnded;
    writeFile(local.filePath("x.refused"), pattern(50000));
    EXPECT_EQ(runToEnd(upload(), [&] { uploadFiles({local.filePath("x.refused")}); }),
              "Upload not confirmed by the server");
    EXPECT_EQ(listingsEnded, before);
}

TEST_F(Upload, AServerThatStopsReadingForAWhileStillGetsTheFileByteExact)
{
    startServer();
    connectAndList();
    UploadDelegate* up = upload();
    const QByteArray content = pattern(8 * 1024 * 1024 + 7);
    const QString source = local.filePath("source.bin");
    writeFile(source, content);

    // A stopped server fills the stream's buffer and the upload waits with bytes in hand,
    // which go first once the server reads again.
    OperationRecorder recorder(up, c);
    uploadFiles({source});
    ASSERT_TRUE(QTest::qWaitFor([&] { return up->sentBytes() > 0; }, 20000));
    server->suspend();
    const bool held = QTest::qWaitFor(
        [&] {
            const int64_t sent = up->sentBytes();
            QTest::qWait(200);
            return up->sentBytes() == sent;
        },
        20000);
    server->resume();
    ASSERT_TRUE(held && recorder.waitForEnd(60000));
    EXPECT_FALSE(recorder.status) << c->statusLabel->text().toStdString();
    // Neither dropped nor sent twice.
    EXPECT_TRUE(readFile(server->localPath("source.bin")) == content);
}

TEST_F(Upload, AFifoOrADeviceIsRefusedWithoutWaitingOnIt)
{
    startServer();
    connectAndList();
    const QString fifo = local.filePath("fifo");
    FifoWatch watch(fifo);
    EXPECT_EQ(runToEnd(upload(), [&] { uploadFiles({fifo}); }),
              "Refused to upload \"fifo\": not a regular file");
    EXPECT_FALSE(watch.release());
    EXPECT_EQ(runToEnd(upload(), [&] { uploadFiles({"/dev/null"}); }),
              "Refused to upload \"null\": not a regular file");
    EXPECT_TRUE(QDir(root()).isEmpty());
}

TEST_F(Upload, AFileCutShortWhileItIsSentIsNotDone)
{
    startServer();
    connectAndList();
    const QString path = local.filePath("cut.bin");
    writeFile(path, pattern(12 * 1024 * 1024));
    bool cut = false;
    QObject context;
    QObject::connect(c->queueDisplay, &QueueDisplay::changed, &context, [&] {
        if (!cut && c->percentageLabel->text().section('%', 0, 0).toInt() >= 10)
            cut = QFile::resize(path, 1000);
    });
    EXPECT_EQ(runToEnd(upload(), [&] { uploadFiles({path}); }),
              "The file changed while it was uploaded");
    EXPECT_TRUE(cut);
}

#include <filesystem>

#include <QTimer>

#include "Classes/TransferQueue.h"
#include "WindowFixture.h"

namespace {

// Far more than the stream's buffer and one batch of events: a cancel pressed at 30% lands
// long before the end.
constexpr qsizetype kBigFile = 12 * 1024 * 1024;

// The percentage a queue display state shows.
int percentOf(const QString& state)
{
    return state.section('%', 0, 0).toInt();
}

} // namespace

class CancelResume : public WindowFixture
{
protected:
    // Serves big.bin, kBigFile of pattern, from a server with those options and lists it.
    QByteArray serveBigFile(const FtpServer::Options& options = {})
    {
        startServer(options);
        const QByteArray content = pattern(kBigFile);
        writeFile(root() + "/big.bin", content);
        connectAndList();
        return content;
    }

    // Runs start() and, once the queue display first shows percent or more, does press() from
    // the event loop, as a user's key or click comes; answers the operation's final status.
    std::optional<QString> cancelAt(RemoteOperation* operation, int percent,
                                    const std::function<void()>& start,
                                    const std::function<void()>& press)
    {
        QObject context;
        bool pressed = false;
        QObject::connect(c->queueDisplay, &QueueDisplay::changed, &context, [&] {
            const QString label = c->percentageLabel->text();
            if (pressed || !label.endsWith('%') || label.chopped(1).toInt() < percent)
                return;
            pressed = true;
            EXPECT_FALSE(c->cancelButton->isHidden());
            QTimer::singleShot(0, &context, press);
        });
        const auto status = runToEnd(operation, start);
        EXPECT_TRUE(pressed);
        return status;
    }

    // Downloads name and cancels it at 30% by press (the cancel button unless given): its
    // partial file stays.
    void downloadAndCancel(const QString& name, std::function<void()> press = {})
    {
        if (!press)
            press = [this] { c->cancelButton->click(); };
        const auto start = [&] { downloadRow(name); };
        EXPECT_EQ(cancelAt(download(), 30, start, press), "Cancelled");
        EXPECT_GT(QFileInfo(downloads.filePath(name + ".part")).size(), 0);
    }

    // Downloads name again; answers the queue display's states.
    QStringList downloadAgain(const QString& name)
    {
        QStringList states;
        EXPECT_FALSE(downloadAndWait(name, &states)) << c->statusLabel->text().toStdString();
        return states;
    }
};

class CancelResumeUnsure : public CancelResume, public ::testing::WithParamInterface<bool>
{
};

TEST_F(CancelResume, ACancelledDownloadKeepsItsPartAndTheSameFileContinuesItWithRest)
{
    const QByteArray content = serveBigFile();
    const QString local = downloads.filePath("big.bin");
    writeFile(local, "the good copy");
    activate();

    // Esc stops the stream at once: the buttons are back, the display at rest, the good copy
    // untouched and the bytes so far beside it.
    downloadAndCancel("big.bin", [this] { QTest::keyClick(c->serverTable, Qt::Key_Escape); });
    EXPECT_EQ(enabledBrowserButtons(), 5); // all but the parent-folder button, at the root
    EXPECT_EQ(queueState(), "|0|0");
    EXPECT_TRUE(c->cancelButton->isHidden() && c->progress->isHidden());
    EXPECT_EQ(readFile(local), "the good copy");
    const QByteArray partial = readFile(local + ".part");
    ASSERT_GE(partial.size(), kBigFile * 3 / 10);
    ASSERT_LT(partial.size(), kBigFile);
    EXPECT_TRUE(partial == content.left(partial.size()));

    // The same file again: REST at the partial file's length, the progress starting at its
    // share, the good copy kept until the whole file is in, and nothing left beside it.
    bool keptUntilEnd = true;
    QObject context;
    QObject::connect(c->queueDisplay, &QueueDisplay::changed, &context, [&] {
        if (!c->progress->isHidden())
            keptUntilEnd = keptUntilEnd && readFile(local) == "the good copy";
    });
    const QStringList states = downloadAgain("big.bin");
    EXPECT_TRUE(keptUntilEnd);
    c->queueDisplay->disconnect(&context);
    ASSERT_GE(states.size(), 3);
    EXPECT_EQ(percentOf(states[1]), partial.size() * 100 / kBigFile)
        << states.join(' ').toStdString();
    EXPECT_TRUE(server->commandLog().contains(QStringLiteral("REST %1").arg(partial.size())))
        << server->commandLog().toStdString();
    EXPECT_TRUE(readFile(local) == content);
    EXPECT_EQ(folderEntries(downloads.path()), QStringList{"big.bin"});
    // Its speed and time left count only the bytes this run moved.
    const TransferQueue::Transfer& resumed = app->transferQueue()->transfers().last();
    EXPECT_EQ(resumed.doneBytes - resumed.bytesBeforeRun, kBigFile - partial.size());
}

// Another file under the first partial name: the partial file under the next name is continued.
TEST_F(CancelResume, APartialFileUnderTheNextNameIsContinued)
{
    const QByteArray content = serveBigFile();
    downloadAndCancel("big.bin");
    const QString first = downloads.filePath("big.bin.part");
    const QString next = downloads.filePath("big.bin.1.part");
    const qsizetype length = readFile(first).size();
    ASSERT_TRUE(QFile::rename(first + ".resume", next + ".resume") && QFile::rename(first, next));
    writeFile(first, "someone else's");
    downloadAgain("big.bin");
    EXPECT_TRUE(server->commandLog().contains(QStringLiteral("REST %1").arg(length)))
        << server->commandLog().toStdString();
    EXPECT_TRUE(readFile(downloads.filePath("big.bin")) == content);
    EXPECT_EQ(readFile(first), "someone else's");
}

// A partial file of another version is never appended to: one that grew, one now shorter than
// the partial file (libcurl refuses the offset) and one rewritten at the same size an hour
// earlier (MDTM tells seconds).
TEST_F(CancelResume, AnotherVersionOnTheServerIsFetchedFromItsStart)
{
    const QByteArray content = serveBigFile();
    const std::string remote = QFile::encodeName(root() + "/big.bin").toStdString();
    QByteArray reversed = content;
    std::reverse(reversed.begin(), reversed.end());
    for (const QByteArray& version :
         {"changed" + pattern(kBigFile + 1000), QByteArray("short"), reversed}) {
        writeFile(QString::fromStdString(remote), content);
        downloadAndCancel("big.bin");
        const auto before = std::filesystem::last_write_time(remote);
        writeFile(QString::fromStdString(remote), version);
        std::filesystem::last_write_time(remote, before - std::chrono::hours(1));
        downloadAgain("big.bin");
        EXPECT_TRUE(readFile(downloads.filePath("big.bin")) == version) << version.size();
    }
}

// A server without REST sends the whole file again; one without MDTM cannot tell the version,
// and the partial file continues unchecked. The status says which.
TEST_P(CancelResumeUnsure, TheStatusSaysSo)
{
    FtpServer::Options options;
    options.refuseRest = GetParam();
    options.noMdtm = !GetParam();
    const QByteArray content = serveBigFile(options);
    downloadAndCancel("big.bin");
    const QStringList states = downloadAgain("big.bin");
    EXPECT_TRUE(server->commandLog().contains("REST ")) << server->commandLog().toStdString();
    EXPECT_EQ(c->statusLabel->text(),
              GetParam() ? "Resume refused by the server; downloaded from the start"
                         : "Resume not checked: the server gives no modification time");
    EXPECT_EQ(states.contains("0%|0|0"), GetParam()) << states.join(' ').toStdString();
    EXPECT_TRUE(readFile(downloads.filePath("big.bin")) == content);
    EXPECT_EQ(folderEntries(downloads.path()), QStringList{"big.bin"});
}
INSTANTIATE_TEST_SUITE_P(RestRefusedOrNoMdtm, CancelResumeUnsure, ::testing::Bool());

TEST_F(CancelResume, AFifoInPlaceOfThePartialFileOrItsRecordIsNeverWaitedOn)
{
    const QByteArray content = serveBigFile();
    const QString local = downloads.filePath("big.bin");
    downloadAndCancel("big.bin");
    for (const QString& fifo : {local + ".part", local + ".part.resume"}) {
        QFile::remove(fifo);
        FifoWatch watch(fifo);
        downloadAgain("big.bin");
        EXPECT_FALSE(watch.release()) << fifo.toStdString();
        EXPECT_TRUE(readFile(local) == content);
    }
}

TEST_F(CancelResume, ACancelledUploadSaysTheServerMayKeepPart)
{
    startServer();
    connectAndList();
    QTemporaryDir local;
    const QString path = local.filePath("up.bin");
    writeFile(path, pattern(kBigFile));
    cancelAt(
        upload(), 30, [&] { uploadFiles({path}); }, [this] { c->cancelButton->click(); });
    EXPECT_EQ(c->statusLabel->text(), "Cancelled (the server may keep a partial file)");
    EXPECT_TRUE(enabledBrowserButtons() == 5 && c->cancelButton->isHidden());
}

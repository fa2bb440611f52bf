#include <algorithm>

#include <QCoreApplication>
#include <QThread>

#include "StreamRecorder.h"

TEST(FtpWriteStream, UploadAcceptsPartialWritesAndOneRefusedBeforeTheDataIsNeverConfirmed)
{
    FtpServer server([](auto& o) { o.readOnlyFolders = {"locked"}; });
    ASSERT_TRUE(server.start()) << server.log().toStdString();
    const QByteArray content = pattern(3 * 1024 * 1024 + 17);

    // Offered more than its buffer holds at a time, the stream takes what fits.
    StreamRecorder upload(FtpStream::CFWriteStreamCreateWithFTPURL(server.url("/up%20load.bin")));
    upload.upload = content;
    upload.offerSize = 1536 * 1024;
    upload.start();
    ASSERT_TRUE(upload.waitUntilDone(30000));
    EXPECT_TRUE(upload.uploaded && upload.confirmed) << upload.error.message.toStdString();
    EXPECT_GT(upload.partialWrites, 0);
    EXPECT_LE(upload.maxBuffered, 1024 * 1024);
    EXPECT_FALSE(upload.eventInsideCall);
    EXPECT_TRUE(readFile(server.localPath("up load.bin")) == content);

    // STOR itself refused: an error event, and never a has-space.
    const auto locked = writeUrl(server.url("/locked/x.txt"), "data");
    EXPECT_TRUE(locked->failed && locked->error.domain == StreamErrorDomain::FTP);
    EXPECT_EQ(std::ranges::count(locked->events, NSStreamEventHasSpaceAvailable), 0);
    EXPECT_EQ(locked->error.code, 550);
    EXPECT_FALSE(locked->confirmed);
}

TEST(FtpWriteStream, AnUploadClosedFromAPostedCallHearsTheVerdictBehindAnEarlierNote)
{
    // The window's thread closes the upload (and so waits for the server's verdict) from
    // inside a posted call, while a note of the curl thread's, posted behind that call, is not
    // yet delivered. The verdict must still reach the wait: it used to sit behind that note
    // until the wait gave up and called the stored file unconfirmed.
    const ShortTimeouts shortTimeouts;
    FtpServer server;
    ASSERT_TRUE(server.start()) << server.log().toStdString();
    const QByteArray content = pattern(4096);
    StreamRecorder upload(FtpStream::CFWriteStreamCreateWithFTPURL(server.url("/late.bin")));
    bool written = false;
    upload.onEvent = [&](NSStreamEvent event) {
        if (event != NSStreamEventHasSpaceAvailable)
            return false;
        if (!written) {
            written = true;
            EXPECT_EQ(upload.stream()->write(content.constData(), content.size()), content.size());
            QMetaObject::invokeMethod(
                qApp, [&] { upload.stop(); }, Qt::QueuedConnection);
            // Long enough for the curl thread to take the bytes and post its note of room.
            QThread::msleep(300);
        }
        return true;
    };
    upload.start();
    ASSERT_TRUE(upload.waitUntilDone(20000));
    EXPECT_TRUE(upload.confirmed) << upload.error.message.toStdString();
    EXPECT_TRUE(readFile(server.localPath("late.bin")) == content);
}

TEST(FtpWriteStream, AnUploadThatFailsAfterTheServerOpenedTheFileLeavesNoEmptyFile)
{
    FtpServer server([](auto& o) {
        o.dropSuffix = ".dropped";
        o.refuseSuffix = ".refused";
    });
    ASSERT_TRUE(server.start()) << server.log().toStdString();
    // Refused after its data: what the server kept stays.
    EXPECT_FALSE(writeUrl(server.url("/b.refused"), pattern(100000))->confirmed);
    EXPECT_FALSE(writeUrl(server.url("/a.dropped"), pattern(100000))->confirmed);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return !QFile::exists(server.localPath("a.dropped")); }, 10000));
    EXPECT_TRUE(readFile(server.localPath("b.refused")) == pattern(100000));
}

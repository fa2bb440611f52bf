#include <cstdlib>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTimer>

#include <curl/curl.h>

#include "LoopbackPort.h"
#include "ServerProcess.h"
#include "StreamRecorder.h"

TEST(FtpFailures, StalledServerTimesOutWhileHeldOrSlowOwnersDoNot)
{
    ShortTimeouts shortTimeouts;
    const int longerThanTheTimeouts = 3600;
    FtpServer server;
    ASSERT_TRUE(server.start()) << server.log().toStdString();
    writeSparseFile(server.localPath("big.bin"), 16 * 1024 * 1024);

    // Held longer than the time-outs: a download and an upload paused for their owners.
    StreamRecorder heldDownload(server.url("/big.bin"));
    StreamRecorder heldUpload(FtpStream::CFWriteStreamCreateWithFTPURL(server.url("/up.bin")));
    heldUpload.upload = QByteArray(3 * 1024 * 1024, 'u');
    {
        StreamModalHold hold;
        heldDownload.start();
        heldUpload.start();
        QTest::qWait(longerThanTheTimeouts);
    }
    ASSERT_TRUE(heldDownload.waitUntilDone(30000) && heldUpload.waitUntilDone(30000));
    EXPECT_TRUE(heldDownload.ended) << heldDownload.error.message.toStdString();
    EXPECT_EQ(heldDownload.received.size(), 16 * 1024 * 1024);
    EXPECT_TRUE(heldUpload.uploaded && heldUpload.confirmed)
        << heldUpload.error.message.toStdString();

    // An owner that takes as long between two writes.
    StreamRecorder slowUpload(FtpStream::CFWriteStreamCreateWithFTPURL(server.url("/slow.bin")));
    slowUpload.upload = QByteArray(1024 * 1024, 's');
    slowUpload.onEvent = [&](NSStreamEvent event) {
        if (event == NSStreamEventHasSpaceAvailable && slowUpload.uploadOffset == 512 * 1024)
            QTest::qWait(longerThanTheTimeouts);
        return false;
    };
    slowUpload.start();
    ASSERT_TRUE(slowUpload.waitUntilDone(30000));
    EXPECT_TRUE(slowUpload.uploaded && slowUpload.confirmed)
        << slowUpload.error.message.toStdString();

    // The server stops mid-transfer (SIGSTOP): no byte moves while the owner reads.
    StreamRecorder stalled(server.url("/big.bin"));
    stalled.onEvent = [&](NSStreamEvent event) {
        if (event == NSStreamEventHasBytesAvailable && stalled.received.size() > 512 * 1024)
            server.suspend();
        return false;
    };
    stalled.start();
    ASSERT_TRUE(stalled.waitUntilDone(20000));
    EXPECT_TRUE((stalled.failed || stalled.readFailed) &&
                stalled.error.domain == StreamErrorDomain::Network);
    EXPECT_EQ(stalled.error.code, CURLE_OPERATION_TIMEDOUT) << stalled.error.message.toStdString();
    server.resume();
}

TEST(FtpFailures, SilentOrUnreachableServersEndAtTheTimeoutsWithTheLoopTurning)
{
    ShortTimeouts shortTimeouts;
    FtpServer server([](auto& o) {
        o.hangSuffix = ".hang";
        o.silentDele = true;
    });
    ASSERT_TRUE(server.start()) << server.log().toStdString();
    writeSparseFile(server.localPath("get.hang"), 100000);
    writeFile(server.localPath("victim.txt"), "x");

    // A timer on the main loop: the longest gap between its ticks is the longest the loop was held.
    QElapsedTimer sinceTick;
    qint64 longestGap = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout,
                     [&] { longestGap = std::max(longestGap, sinceTick.restart()); });
    sinceTick.start();
    ticker.start(10);

    // No 226 after a download's data.
    const auto download = readUrl(server.url("/get.hang"));
    EXPECT_TRUE(download->failed || download->readFailed);
    EXPECT_EQ(download->error.code, CURLE_OPERATION_TIMEDOUT)
        << download->error.message.toStdString();

    // No verdict after an upload's data: the close's own bound ends the wait.
    const auto upload = writeUrl(server.url("/put.hang"), QByteArray(100000, 'h'));
    EXPECT_TRUE(upload->uploaded && !upload->confirmed);
    EXPECT_EQ(upload->error.code, CURLE_OPERATION_TIMEDOUT);
    EXPECT_TRUE(mentions(upload->error, "did not confirm"));

    // No answer to DELE.
    StreamError deleteError;
    EXPECT_FALSE(CFURLDestroyResource(server.url("/victim.txt"), {}, &deleteError));
    EXPECT_EQ(deleteError.code, CURLE_OPERATION_TIMEDOUT) << deleteError.message.toStdString();

    // Nothing listens.
    const auto refused =
        readUrl(QUrl(QStringLiteral("ftp://127.0.0.1:%1/").arg(LoopbackPort::pickFree())));
    EXPECT_TRUE(refused->failed && refused->error.domain == StreamErrorDomain::Network);
    EXPECT_EQ(refused->error.code, CURLE_COULDNT_CONNECT);

    // A server that accepts the connection and never greets.
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    const auto waiting =
        writeUrl(QUrl(QStringLiteral("ftp://127.0.0.1:%1/x.txt").arg(silent.serverPort())));
    EXPECT_TRUE(waiting->failed && waiting->error.domain == StreamErrorDomain::Network);
    EXPECT_EQ(waiting->error.code, CURLE_OPERATION_TIMEDOUT)
        << waiting->error.message.toStdString();

    EXPECT_LT(longestGap, 500);
}

TEST(FtpFailures, QuittingEndsATransferThatWaitsForItsFinalReplyAtOnce)
{
    // In a child process: the application object goes away, as at the end of main, while
    // libcurl waits (up to 60 s) for a 226 that never comes.
    const auto quitWhileWaiting = [] {
        qint64 quitMs = -1;
        {
            FtpServer server([](auto& o) { o.hangSuffix = ".hang"; });
            if (!server.start())
                std::_Exit(2);
            writeFile(server.localPath("get.hang"), pattern(100000));
            StreamRecorder download(server.url("/get.hang"));
            download.start();
            if (!QTest::qWaitFor([&] { return download.received.size() == 100000; }, 10000))
                std::_Exit(3);
            QTest::qWait(300);
            QElapsedTimer quitting;
            quitting.start();
            QCoreApplication::instance()->~QCoreApplication();
            quitMs = quitting.elapsed();
        }
        std::_Exit(quitMs < 5000 ? 0 : 1);
    };
    EXPECT_EXIT(quitWhileWaiting(), testing::ExitedWithCode(0), "");
}

namespace {

// Runs tandrel-drive, logged in anonymously to the server, to its end; what it printed.
QString runDrive(const FtpServer& server, const QStringList& arguments)
{
    return ServerProcess::runAndRead(TANDREL_DRIVE,
                                     QStringList{"--host", "127.0.0.1", "--port",
                                                 QString::number(server.port()), "--anonymous"} +
                                         arguments,
                                     60000);
}

} // namespace

TEST(FtpFailures, ExitWhileTheCurlThreadEndsATransferIsClean)
{
    // tandrel-drive gives up on an upload whose verdict never comes and, its --timeout passed,
    // exits at once, while the curl thread is about to end the transfer.
    FtpServer server([](auto& o) { o.hangSuffix = ".hang"; });
    ASSERT_TRUE(server.start()) << server.log().toStdString();
    QTemporaryDir local;
    const QString path = local.filePath("x.hang");
    writeFile(path, pattern(100000));
    qputenv("TANDREL_FTP_TIMEOUT_SCALE", "0.05");
    const QString printed = runDrive(server, {"--timeout", "1", "put", path});
    qunsetenv("TANDREL_FTP_TIMEOUT_SCALE");
    EXPECT_TRUE(printed.contains("the queue did not end in time")) << printed.toStdString();
    EXPECT_FALSE(printed.contains("ERROR: AddressSanitizer")) << printed.toStdString();
}

TEST(Drive, EachFileOfATreeOrOfSeveralPrintsItsLineAndATreeItsSummary)
{
    FtpServer server;
    ASSERT_TRUE(server.start()) << server.log().toStdString();
    writeFiles(
        server.root(),
        {{"tree/a.txt", "aaa"}, {"tree/sub/b.txt", "bb"}, {"c.txt", "c"}, {"d.txt", "dddd"}});
    QTemporaryDir local;
    const QString printed = runDrive(server, {"--download-folder", local.path(), "get", "tree",
                                              "select", "c.txt", "d.txt", "get-selected"});
    QStringList lines = printed.split('\n').filter(QRegularExpression("^(queue|tree)\t"));
    // The tree's files end in either order, as the two selected files do; the tree's line
    // follows its files.
    EXPECT_EQ(lines.value(2), "tree\ttree\t2\t0\t0\t5") << printed.toStdString();
    lines.sort();
    EXPECT_EQ(lines, (QStringList{"queue\tc.txt\tDone\t1", "queue\td.txt\tDone\t4",
                                  "queue\ttree/a.txt\tDone\t3", "queue\ttree/sub/b.txt\tDone\t2",
                                  "tree\ttree\t2\t0\t0\t5"}))
        << printed.toStdString();
}

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
    writeSparseFile(server.localPath(QStringLiteral("big.bin")), 16 * 1024 * 1024);

    // Held longer than the time-outs: a download and an upload paused for their owners.
    StreamRecorder heldDownload(server.url(QStringLiteral("/big.bin")));
    StreamRecorder heldUpload(
        FtpStream::CFWriteStreamCreateWithFTPURL(server.url(QStringLiteral("/up.bin"))));
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
    StreamRecorder slowUpload(
        FtpStream::CFWriteStreamCreateWithFTPURL(server.url(QStringLiteral("/slow.bin"))));
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
    StreamRecorder stalled(server.url(QStringLiteral("/big.bin")));
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
    FtpServer::Options options;
    options.hangSuffix = QStringLiteral(".hang");
    options.silentDele = true;
    FtpServer server(options);
    ASSERT_TRUE(server.start()) << server.log().toStdString();
    writeSparseFile(server.localPath(QStringLiteral("get.hang")), 100000);
    writeFile(server.localPath(QStringLiteral("victim.txt")), "x");

    // A timer on the main loop: the longest gap between its ticks is the longest the loop was held.
    QElapsedTimer sinceTick;
    qint64 longestGap = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout,
                     [&] { longestGap = std::max(longestGap, sinceTick.restart()); });
    sinceTick.start();
    ticker.start(10);

    // No 226 after a download's data.
    const auto download = readUrl(server.url(QStringLiteral("/get.hang")));
    EXPECT_TRUE(download->failed || download->readFailed);
    EXPECT_EQ(download->error.code, CURLE_OPERATION_TIMEDOUT)
        << download->error.message.toStdString();

    // No verdict after an upload's data: the close's own bound ends the wait.
    const auto upload = writeUrl(server.url(QStringLiteral("/put.hang")), QByteArray(100000, 'h'));
    EXPECT_TRUE(upload->uploaded && !upload->confirmed);
    EXPECT_EQ(upload->error.code, CURLE_OPERATION_TIMEDOUT);
    EXPECT_TRUE(upload->error.message.contains(QLatin1String("did not confirm")))
        << upload->error.message.toStdString();

    // No answer to DELE.
    StreamError deleteError;
    EXPECT_FALSE(CFURLDestroyResource(server.url(QStringLiteral("/victim.txt")), {}, &deleteError));
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
            FtpServer::Options options;
            options.hangSuffix = QStringLiteral(".hang");
            FtpServer server(options);
            if (!server.start())
                std::_Exit(2);
            writeFile(server.localPath(QStringLiteral("get.hang")), pattern(100000));
            StreamRecorder download(server.url(QStringLiteral("/get.hang")));
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

TEST(FtpFailures, ExitWhileTheCurlThreadEndsATransferIsClean)
{
    // tandrel-drive gives up on an upload whose verdict never comes and, its --timeout passed,
    // exits at once, while the curl thread is about to end the transfer.
    FtpServer::Options options;
    options.hangSuffix = QStringLiteral(".hang");
    FtpServer server(options);
    ASSERT_TRUE(server.start()) << server.log().toStdString();
    QTemporaryDir local;
    const QString path = local.filePath(QStringLiteral("x.hang"));
    writeFile(path, pattern(100000));
    qputenv("TANDREL_FTP_TIMEOUT_SCALE", "0.05");
    ServerProcess drive;
    const bool started = drive.start(QStringLiteral(TANDREL_DRIVE),
                                     {QStringLiteral("--host"), QStringLiteral("127.0.0.1"),
                                      QStringLiteral("--port"), QString::number(server.port()),
                                      QStringLiteral("--anonymous"), QStringLiteral("--timeout"),
                                      QStringLiteral("1"), QStringLiteral("put"), path});
    qunsetenv("TANDREL_FTP_TIMEOUT_SCALE");
    ASSERT_TRUE(started);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !drive.isRunning(); }, 60000));
    EXPECT_TRUE(drive.errors().contains(QLatin1String("the queue did not end in time")))
        << drive.errors().toStdString();
    EXPECT_FALSE(drive.errors().contains(QLatin1String("ERROR: AddressSanitizer")))
        << drive.errors().toStdString();
}

TEST(Drive, EachFileOfATreeOrOfSeveralPrintsItsLineAndATreeItsSummary)
{
    FtpServer server;
    ASSERT_TRUE(server.start()) << server.log().toStdString();
    ASSERT_TRUE(QDir(server.root()).mkpath(QStringLiteral("tree/sub")));
    writeFile(server.localPath(QStringLiteral("tree/a.txt")), "aaa");
    writeFile(server.localPath(QStringLiteral("tree/sub/b.txt")), "bb");
    writeFile(server.localPath(QStringLiteral("c.txt")), "c");
    writeFile(server.localPath(QStringLiteral("d.txt")), "dddd");
    QTemporaryDir local;
    ServerProcess drive;
    ASSERT_TRUE(drive.start(QStringLiteral(TANDREL_DRIVE),
                            {QStringLiteral("--host"), QStringLiteral("127.0.0.1"),
                             QStringLiteral("--port"), QString::number(server.port()),
                             QStringLiteral("--anonymous"), QStringLiteral("--download-folder"),
                             local.path(), QStringLiteral("get"), QStringLiteral("tree"),
                             QStringLiteral("select"), QStringLiteral("c.txt"),
                             QStringLiteral("d.txt"), QStringLiteral("get-selected")}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !drive.isRunning(); }, 60000));
    QStringList lines = drive.output()
                            .split(QLatin1Char('\n'))
                            .filter(QRegularExpression(QStringLiteral("^(queue|tree)\t")));
    // The tree's files end in either order, as the two selected files do; the tree's line
    // follows its files.
    EXPECT_EQ(lines.value(2), "tree\ttree\t2\t0\t0\t5") << drive.output().toStdString();
    lines.sort();
    EXPECT_EQ(lines, (QStringList{"queue\tc.txt\tDone\t1", "queue\td.txt\tDone\t4",
                                  "queue\ttree/a.txt\tDone\t3", "queue\ttree/sub/b.txt\tDone\t2",
                                  "tree\ttree\t2\t0\t0\t5"}))
        << drive.errors().toStdString();
}

#include <gtest/gtest.h>

#include "ShortTimeouts.h"
#include "StreamRecorder.h"
#include "VsftpdServer.h"
#include "platform/ftp/FtpStream.h"

TEST(Vsftpd, ListsAndDownloads)
{
    VsftpdServer server;
    if (!server.start())
        GTEST_SKIP() << "vsftpd cannot run here: " << server.problem().toStdString();
    const QByteArray content = pattern(3 * 1024 * 1024 + 5);
    writeFile(server.localPath(QStringLiteral("a file.bin")), content);

    const auto listing = readUrl(server.url());
    ASSERT_TRUE(listing->ended) << listing->error.message.toStdString();
    EXPECT_TRUE(listing->received.contains(" a file.bin\r\n")) << listing->received.toStdString();

    const auto download = readUrl(server.url(QStringLiteral("/a%20file.bin")));
    ASSERT_TRUE(download->ended) << download->error.message.toStdString();
    EXPECT_TRUE(download->received == content);
    EXPECT_LE(download->maxBuffered, 256 * 1024);
}

TEST(Vsftpd, BackToBackTransfersOnOneConnectionNeverWaitForATimeout)
{
    // vsftpd can answer EPSV before libcurl 7.88 looks for the reply; libcurl then leaves the
    // transfer idle until its connect time-out unless the stream layer nudges it.
    ShortTimeouts shortTimeouts;
    VsftpdServer server;
    if (!server.start())
        GTEST_SKIP() << "vsftpd cannot run here: " << server.problem().toStdString();
    writeFile(server.localPath(QStringLiteral("a.txt")), "alpha\n");
    for (int i = 0; i < 40; ++i) {
        const auto recorder = readUrl(server.url(i % 2 ? QStringLiteral("/a.txt") : QStringLiteral("/")));
        EXPECT_TRUE(recorder->ended) << i << ": " << recorder->error.message.toStdString();
    }
}

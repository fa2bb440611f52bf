#include <gtest/gtest.h>

#include "ShortTimeouts.h"
#include "StreamRecorder.h"
#include "VsftpdServer.h"
#include "platform/ftp/FtpStream.h"

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
        const auto recorder =
            readUrl(server.url(i % 2 ? QStringLiteral("/a.txt") : QStringLiteral("/")));
        EXPECT_TRUE(recorder->ended) << i << ": " << recorder->error.message.toStdString();
    }
}

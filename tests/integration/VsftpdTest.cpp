#include "StreamRecorder.h"
#include "VsftpdServer.h"

TEST(Vsftpd, BackToBackTransfersNeverWaitForATimeoutRenameReportsTheServersWords)
{
    // vsftpd can answer EPSV before libcurl 7.88 looks for the reply; libcurl then leaves the
    // transfer idle until its connect time-out unless the stream layer nudges it.
    ShortTimeouts shortTimeouts;
    VsftpdServer::Options options;
    options.writable = true;
    VsftpdServer server;
    if (!server.start(options))
        GTEST_SKIP() << "vsftpd cannot run here: " << server.problem().toStdString();
    writeFile(server.localPath("a.txt"), "alpha\n");
    for (int i = 0; i < 40; ++i) {
        const auto recorder = readUrl(server.url(i % 2 ? "/a.txt" : "/"));
        EXPECT_TRUE(recorder->ended) << i << ": " << recorder->error.message.toStdString();
    }

    // Rename moves the entry, and a refusal comes with the server's words.
    writeFile(server.localPath("incoming/old.txt"), "alpha\n");
    StreamError error;
    EXPECT_TRUE(CFURLRenameResource(server.url("/incoming/old.txt"), "new name.txt", {}, &error))
        << error.message.toStdString();
    EXPECT_TRUE(QFileInfo::exists(server.localPath("incoming/new name.txt")));
    EXPECT_FALSE(CFURLRenameResource(server.url("/incoming/old.txt"), "x.txt", {}, &error));
    EXPECT_EQ(error.domain, StreamErrorDomain::FTP);
    EXPECT_EQ(error.code, 550);
    EXPECT_TRUE(error.message.startsWith("550 ")) << error.message.toStdString();
}

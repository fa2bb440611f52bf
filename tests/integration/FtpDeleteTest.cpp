#include "StreamRecorder.h"

TEST(FtpDelete, HostileNamesAreRefusedBeforeAnythingIsSent)
{
    FtpServer server;
    ASSERT_TRUE(server.start()) << server.log().toStdString();
    writeFiles(server.root(), {{"victim.txt", "x"}, {"sub/victim.txt", "x"}});

    // A split command and a step out of the folder; FtpTarget's test holds the full list.
    for (const char* path : {"/x%0D%0ADELE%20victim.txt/", "/sub/..%2Fvictim.txt"}) {
        const QUrl url = server.url(QString::fromLatin1(path));
        EXPECT_FALSE(CFURLDestroyResource(url)) << path;

        StreamRecorder reader(url);
        reader.start();
        StreamRecorder writer(FtpStream::CFWriteStreamCreateWithFTPURL(url));
        writer.start();
        // Even a refusal is posted, never delivered from inside open().
        EXPECT_TRUE(reader.events.empty() && writer.events.empty()) << path;
        ASSERT_TRUE(reader.waitUntilDone(5000) && writer.waitUntilDone(5000)) << path;
        for (const StreamRecorder* recorder : {&reader, &writer}) {
            EXPECT_EQ(recorder->events, std::vector<NSStreamEvent>{NSStreamEventErrorOccurred});
            EXPECT_EQ(recorder->error.domain, StreamErrorDomain::Network) << path;
            EXPECT_FALSE(recorder->error.message.isEmpty()) << path;
        }
    }
    EXPECT_EQ(server.connections(), 0) << server.log().toStdString();
    EXPECT_EQ(folderEntries(server.root()), (QStringList{"sub", "victim.txt"}));
    EXPECT_EQ(folderEntries(server.localPath("sub")), QStringList{"victim.txt"});
}

#include <algorithm>

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include "FtpServer.h"
#include "StreamRecorder.h"
#include "platform/ftp/FtpStream.h"

TEST(FtpWriteStream, UploadAcceptsPartialWritesAndCloseCompletesTheFile)
{
    FtpServer server;
    ASSERT_TRUE(server.start()) << server.log().toStdString();
    const QByteArray content = pattern(3 * 1024 * 1024 + 17);

    // Offered a megabyte at a time, the stream takes what its buffer holds.
    StreamRecorder upload(
        FtpStream::CFWriteStreamCreateWithFTPURL(server.url(QStringLiteral("/up%20load.bin"))));
    upload.upload = content;
    upload.offerSize = 1024 * 1024;
    upload.start();
    ASSERT_TRUE(upload.waitUntilDone(30000));
    EXPECT_TRUE(upload.uploaded && upload.confirmed) << upload.error.message.toStdString();
    EXPECT_GT(upload.partialWrites, 0);
    EXPECT_LE(upload.maxBuffered, 256 * 1024);
    EXPECT_FALSE(upload.eventInsideCall);
    EXPECT_TRUE(readFile(server.localPath(QStringLiteral("up load.bin"))) == content);
}

TEST(FtpWriteStream, UploadRefusedBeforeOrAfterTheDataIsNeverConfirmed)
{
    FtpServer::Options options;
    options.refuseSuffix = QStringLiteral(".refuse");
    options.readOnlyFolders = {QStringLiteral("locked")};
    FtpServer server(options);
    ASSERT_TRUE(server.start()) << server.log().toStdString();

    // The server takes all the data, then answers 552 instead of 226.
    const auto refused =
        writeUrl(server.url(QStringLiteral("/big.refuse")), QByteArray(600000, 'r'));
    EXPECT_TRUE(refused->uploaded);
    EXPECT_FALSE(refused->confirmed);
    EXPECT_EQ(refused->error.domain, StreamErrorDomain::FTP);
    EXPECT_EQ(refused->error.code, 552);

    // STOR itself refused: an error event, and never a has-space.
    const auto locked = writeUrl(server.url(QStringLiteral("/locked/x.txt")), "data");
    EXPECT_TRUE(locked->failed);
    EXPECT_EQ(
        std::count(locked->events.begin(), locked->events.end(), NSStreamEventHasSpaceAvailable),
        0);
    EXPECT_EQ(locked->error.domain, StreamErrorDomain::FTP);
    EXPECT_EQ(locked->error.code, 550);
    EXPECT_FALSE(locked->confirmed);
}

TEST(FtpWriteStream, FolderCreationEndsWithEndOrTheServersRefusal)
{
    FtpServer::Options options;
    options.readOnlyFolders = {QStringLiteral("locked")};
    FtpServer server(options);
    ASSERT_TRUE(server.start()) << server.log().toStdString();
    QDir(server.root()).mkdir(QStringLiteral("pub"));

    const auto created = writeUrl(server.url(QStringLiteral("/pub/new%20folder/")));
    EXPECT_EQ(created->events, (std::vector<NSStreamEvent>{NSStreamEventOpenCompleted,
                                                           NSStreamEventEndEncountered}));
    EXPECT_TRUE(QFileInfo(server.localPath(QStringLiteral("pub/new folder"))).isDir());

    for (const char* path : {"/pub/new%20folder/", "/locked/sub/"}) {
        const auto refused = writeUrl(server.url(QString::fromLatin1(path)));
        EXPECT_EQ(refused->events, std::vector<NSStreamEvent>{NSStreamEventErrorOccurred}) << path;
        EXPECT_EQ(refused->error.domain, StreamErrorDomain::FTP) << path;
        EXPECT_EQ(refused->error.code, 550) << path;
    }
}

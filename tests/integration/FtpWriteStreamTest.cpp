#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include "FtpServer.h"
#include "StreamRecorder.h"
#include "platform/ftp/FtpStream.h"

namespace {

std::unique_ptr<StreamRecorder> writeTo(const QUrl& url, const QByteArray& upload = {})
{
    auto recorder = std::make_unique<StreamRecorder>(FtpStream::CFWriteStreamCreateWithFTPURL(url));
    recorder->upload = upload;
    return recorder;
}

QByteArray fileContent(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QByteArray listing(const QUrl& url)
{
    StreamRecorder recorder(FtpStream::CFReadStreamCreateWithFTPURL(url));
    recorder.start();
    EXPECT_TRUE(recorder.waitUntilDone(20000));
    return recorder.received;
}

bool contains(const std::vector<NSStreamEvent>& events, NSStreamEvent event)
{
    return std::find(events.begin(), events.end(), event) != events.end();
}

} // namespace

TEST(FtpWriteStream, UploadAcceptsPartialWritesAndCloseCompletesTheFile)
{
    FtpServer server;
    ASSERT_TRUE(server.start()) << server.log().toStdString();
    QByteArray content(3 * 1024 * 1024 + 17, Qt::Uninitialized);
    for (qsizetype i = 0; i < content.size(); ++i)
        content[i] = static_cast<char>((i * 7919) >> 3);

    // Offered a megabyte at a time, the stream takes what its buffer holds.
    auto upload = writeTo(server.url(QStringLiteral("/up%20load.bin")), content);
    upload->offerSize = 1024 * 1024;
    upload->start();
    ASSERT_TRUE(upload->waitUntilDone(30000));
    EXPECT_TRUE(upload->uploaded) << upload->error.message.toStdString();
    EXPECT_TRUE(upload->confirmed);
    EXPECT_GT(upload->partialWrites, 0);
    EXPECT_LE(upload->maxBuffered, 256 * 1024);
    EXPECT_FALSE(upload->eventInsideCall);
    EXPECT_EQ(upload->events.front(), NSStreamEventOpenCompleted);
    // A listing made right after the close shows the whole file.
    EXPECT_TRUE(listing(server.url()).contains(" " + QByteArray::number(content.size()) + " "));
    EXPECT_TRUE(fileContent(server.localPath(QStringLiteral("up load.bin"))) == content);

    // An empty file: closed on the first has-space, stored empty and confirmed.
    auto empty = writeTo(server.url(QStringLiteral("/empty.txt")));
    empty->start();
    ASSERT_TRUE(empty->waitUntilDone(20000));
    EXPECT_TRUE(empty->uploaded);
    EXPECT_TRUE(empty->confirmed);
    EXPECT_TRUE(QFileInfo::exists(server.localPath(QStringLiteral("empty.txt"))));
    EXPECT_EQ(QFileInfo(server.localPath(QStringLiteral("empty.txt"))).size(), 0);
}

TEST(FtpWriteStream, UploadRefusedBeforeOrAfterTheDataIsNeverConfirmed)
{
    FtpServer::Options options;
    options.refuseSuffix = QStringLiteral(".refuse");
    options.readOnlyFolders = {QStringLiteral("locked")};
    FtpServer server(options);
    ASSERT_TRUE(server.start()) << server.log().toStdString();

    // The server takes all the data, then answers 552 instead of 226.
    auto refused = writeTo(server.url(QStringLiteral("/big.refuse")), QByteArray(600000, 'r'));
    refused->start();
    ASSERT_TRUE(refused->waitUntilDone(30000));
    EXPECT_TRUE(refused->uploaded);
    EXPECT_FALSE(refused->confirmed);
    EXPECT_EQ(refused->error.domain, StreamErrorDomain::FTP);
    EXPECT_EQ(refused->error.code, 552);

    // STOR itself refused: an error event, and never a has-space.
    auto locked = writeTo(server.url(QStringLiteral("/locked/x.txt")), "data");
    locked->start();
    ASSERT_TRUE(locked->waitUntilDone(20000));
    EXPECT_TRUE(locked->failed);
    EXPECT_FALSE(contains(locked->events, NSStreamEventHasSpaceAvailable));
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

    auto created = writeTo(server.url(QStringLiteral("/pub/new%20folder/")));
    created->start();
    ASSERT_TRUE(created->waitUntilDone(20000));
    EXPECT_EQ(created->events, (std::vector<NSStreamEvent>{NSStreamEventOpenCompleted,
                                                           NSStreamEventEndEncountered}));
    EXPECT_TRUE(QFileInfo(server.localPath(QStringLiteral("pub/new folder"))).isDir());

    for (const char* path : {"/pub/new%20folder/", "/locked/sub/"}) {
        auto refused = writeTo(server.url(QString::fromLatin1(path)));
        refused->start();
        ASSERT_TRUE(refused->waitUntilDone(20000)) << path;
        EXPECT_EQ(refused->events, std::vector<NSStreamEvent>{NSStreamEventErrorOccurred}) << path;
        EXPECT_EQ(refused->error.domain, StreamErrorDomain::FTP) << path;
        EXPECT_EQ(refused->error.code, 550) << path;
    }
}

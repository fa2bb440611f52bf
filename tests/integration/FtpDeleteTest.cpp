#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include "FtpServer.h"
#include "StreamRecorder.h"
#include "platform/ftp/FtpStream.h"

TEST(FtpDelete, RemovesFilesAndEmptyFoldersButNotFullOnes)
{
    FtpServer server;
    ASSERT_TRUE(server.start()) << server.log().toStdString();
    QDir root(server.root());
    root.mkpath(QStringLiteral("pub/empty dir"));
    root.mkpath(QStringLiteral("pub/full"));
    writeFile(root.filePath(QStringLiteral("pub/a file.txt")), "x");
    writeFile(root.filePath(QStringLiteral("pub/full/inside.txt")), "x");

    EXPECT_TRUE(CFURLDestroyResource(server.url(QStringLiteral("/pub/a%20file.txt"))));
    EXPECT_FALSE(QFileInfo::exists(root.filePath(QStringLiteral("pub/a file.txt"))));
    EXPECT_TRUE(CFURLDestroyResource(server.url(QStringLiteral("/pub/empty%20dir/"))));
    EXPECT_FALSE(QFileInfo::exists(root.filePath(QStringLiteral("pub/empty dir"))));

    EXPECT_FALSE(CFURLDestroyResource(server.url(QStringLiteral("/pub/full/"))));
    EXPECT_TRUE(QFileInfo::exists(root.filePath(QStringLiteral("pub/full/inside.txt"))));
    EXPECT_FALSE(CFURLDestroyResource(server.url(QStringLiteral("/pub/missing.txt"))));
    EXPECT_FALSE(CFURLDestroyResource(server.url(QStringLiteral("/"))));
}

TEST(FtpDelete, UsesTheLoginInTheUrlEvenWithReservedCharacters)
{
    FtpServer::Options options;
    options.anonymous = false;
    options.anonymousWrite = false;
    options.user = QStringLiteral("we@ird:us/er");
    options.password = QStringLiteral("p@:/?#% x");
    FtpServer server(options);
    ASSERT_TRUE(server.start()) << server.log().toStdString();
    writeFile(server.localPath(QStringLiteral("victim.txt")), "x");

    const auto withLogin = [&](const QString& user, const QString& password) {
        return QUrl(QStringLiteral("ftp://") +
                        QString::fromLatin1(user.toUtf8().toPercentEncoding()) + QLatin1Char(':') +
                        QString::fromLatin1(password.toUtf8().toPercentEncoding()) +
                        QStringLiteral("@127.0.0.1:") + QString::number(server.port()) +
                        QStringLiteral("/victim.txt"),
                    QUrl::StrictMode);
    };
    EXPECT_FALSE(CFURLDestroyResource(withLogin(options.user, QStringLiteral("wrong"))));
    EXPECT_TRUE(QFileInfo::exists(server.localPath(QStringLiteral("victim.txt"))));
    EXPECT_TRUE(CFURLDestroyResource(withLogin(options.user, options.password)));
    EXPECT_FALSE(QFileInfo::exists(server.localPath(QStringLiteral("victim.txt"))));

    // A login in the properties wins over the URL's.
    writeFile(server.localPath(QStringLiteral("victim.txt")), "x");
    const FtpStreamProperties login{
        {FtpStreamProperty::kCFStreamPropertyFTPUserName, options.user},
        {FtpStreamProperty::kCFStreamPropertyFTPPassword, options.password}};
    EXPECT_TRUE(
        CFURLDestroyResource(withLogin(QStringLiteral("nobody"), QStringLiteral("x")), login));
}

TEST(FtpDelete, HostileNamesAreRefusedBeforeAnythingIsSent)
{
    FtpServer server;
    ASSERT_TRUE(server.start()) << server.log().toStdString();
    QDir(server.root()).mkdir(QStringLiteral("sub"));
    writeFile(server.localPath(QStringLiteral("victim.txt")), "x");
    writeFile(server.localPath(QStringLiteral("sub/victim.txt")), "x");

    const char* const hostile[] = {
        "/x%0D%0ADELE%20victim.txt/", "/x%0ARMD%20sub/", "/sub/..%2Fvictim.txt",
        "/sub/../victim.txt",         "/sub/%2E%2E/",    "/a%00b"};
    for (const char* path : hostile) {
        const QUrl url = server.url(QString::fromLatin1(path));
        EXPECT_FALSE(CFURLDestroyResource(url)) << path;

        StreamRecorder reader(FtpStream::CFReadStreamCreateWithFTPURL(url));
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
    EXPECT_TRUE(QFileInfo::exists(server.localPath(QStringLiteral("victim.txt"))));
    EXPECT_TRUE(QFileInfo::exists(server.localPath(QStringLiteral("sub/victim.txt"))));
    EXPECT_EQ(QDir(server.root()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size(), 2);
}

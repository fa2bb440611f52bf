#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryFile>

#include <gtest/gtest.h>

#include "FtpServer.h"
#include "StreamRecorder.h"
#include "platform/ftp/FtpStream.h"

namespace {

std::unique_ptr<StreamRecorder> readFrom(const QUrl& url,
                                         const FtpStreamProperties& properties = {})
{
    auto stream = FtpStream::CFReadStreamCreateWithFTPURL(url);
    for (const auto& [key, value] : properties)
        stream->setProperty(value, key);
    return std::make_unique<StreamRecorder>(std::move(stream));
}

QByteArray fetch(const QUrl& url, const FtpStreamProperties& properties = {})
{
    auto recorder = readFrom(url, properties);
    recorder->start();
    EXPECT_TRUE(recorder->waitUntilDone(20000)) << url.toString().toStdString();
    EXPECT_TRUE(recorder->ended) << recorder->error.message.toStdString();
    EXPECT_FALSE(recorder->eventInsideCall);
    return recorder->received;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
}

} // namespace

TEST(FtpReadStream, ListingsArriveAsTheServersRawListBytes)
{
    FtpServer server;
    ASSERT_TRUE(server.start()) << server.log().toStdString();
    QDir root(server.root());

    // An empty folder: open, then one has-bytes on which read answers 0.
    root.mkdir(QStringLiteral("empty"));
    auto empty = readFrom(server.url(QStringLiteral("/empty/")));
    empty->start();
    ASSERT_TRUE(empty->waitUntilDone(10000));
    EXPECT_TRUE(empty->ended);
    EXPECT_TRUE(empty->received.isEmpty());
    EXPECT_EQ(empty->events, (std::vector<NSStreamEvent>{NSStreamEventOpenCompleted,
                                                         NSStreamEventHasBytesAvailable}));

    // UTF-8 and spaced names come through byte for byte.
    root.mkpath(QStringLiteral("names/sub folder"));
    const QStringList names{QStringLiteral("été naïve.txt"), QStringLiteral("two  spaces"),
                            QStringLiteral(" leading"), QStringLiteral("日本語")};
    for (const QString& name : names)
        writeFile(root.filePath(QStringLiteral("names/") + name), "x");
    const QByteArray listing = fetch(server.url(QStringLiteral("/names/")));
    const QList<QByteArray> lines = listing.split('\n');
    EXPECT_EQ(listing.count("\r\n"), names.size() + 1);
    for (const QString& name : names)
        EXPECT_TRUE(listing.contains(" " + name.toUtf8() + "\r\n")) << name.toStdString();
    EXPECT_TRUE(listing.contains(" sub folder\r\n"));

    // 10,000 entries, none lost or cut.
    root.mkdir(QStringLiteral("many"));
    for (int i = 0; i < 10000; ++i)
        QFile(root.filePath(QStringLiteral("many/entry-%1.dat").arg(i, 5, 10, QLatin1Char('0'))))
            .open(QIODevice::WriteOnly);
    const QByteArray many = fetch(server.url(QStringLiteral("/many/")));
    EXPECT_EQ(many.count("\r\n"), 10000);
    EXPECT_TRUE(many.contains(" entry-00000.dat\r\n"));
    EXPECT_TRUE(many.contains(" entry-09999.dat\r\n"));
}

TEST(FtpReadStream, LargeDownloadIsByteExactWhileTheBufferStaysBounded)
{
    FtpServer server;
    ASSERT_TRUE(server.start()) << server.log().toStdString();
    QByteArray content(50 * 1024 * 1024, Qt::Uninitialized);
    QRandomGenerator generator(42);
    generator.fillRange(reinterpret_cast<quint32*>(content.data()), content.size() / 4);
    writeFile(server.localPath(QStringLiteral("big.bin")), content);

    QTemporaryFile local;
    ASSERT_TRUE(local.open());
    auto recorder = readFrom(server.url(QStringLiteral("/big.bin")));
    recorder->sink = &local;
    recorder->start();
    ASSERT_TRUE(recorder->waitUntilDone(60000));
    ASSERT_TRUE(recorder->ended) << recorder->error.message.toStdString();
    EXPECT_FALSE(recorder->eventInsideCall);
    EXPECT_EQ(recorder->receivedSize, content.size());
    local.seek(0);
    EXPECT_EQ(QCryptographicHash::hash(local.readAll(), QCryptographicHash::Sha256),
              QCryptographicHash::hash(content, QCryptographicHash::Sha256));
    EXPECT_GT(recorder->maxBuffered, 0);
    EXPECT_LE(recorder->maxBuffered, 256 * 1024);
}

TEST(FtpReadStream, ActiveAndPassiveModesBothTransfer)
{
    // EPSV is refused and the PASV reply names an address nobody listens on: data connections
    // must go to the control connection's address all the same.
    FtpServer::Options options;
    options.noEpsv = true;
    options.pasvAddress = QStringLiteral("192.0.2.1");
    options.verbose = true;
    FtpServer server(options);
    ASSERT_TRUE(server.start()) << server.log().toStdString();
    writeFile(server.localPath(QStringLiteral("a.txt")), "alpha\n");

    for (const bool passive : {true, false}) {
        const qsizetype logStart = server.commandLog().size();
        const FtpStreamProperties properties{
            {FtpStreamProperty::kCFStreamPropertyFTPUsePassiveMode, passive}};
        EXPECT_EQ(fetch(server.url(QStringLiteral("/a.txt")), properties), "alpha\n") << passive;
        EXPECT_TRUE(fetch(server.url(), properties).contains(" a.txt\r\n")) << passive;
        const QString log = server.commandLog().mid(logStart);
        EXPECT_EQ(log.contains(QLatin1String("<- PASV")), passive) << log.toStdString();
        EXPECT_EQ(log.contains(QLatin1String("<- EPRT")), !passive) << log.toStdString();
    }
}

TEST(FtpReadStream, ServerRefusalsComeInTheFtpDomainWithTheReplyCode)
{
    FtpServer::Options options;
    options.anonymous = false;
    options.anonymousWrite = false;
    options.user = QStringLiteral("we@ird:us/er");
    options.password = QStringLiteral("p@:/?#% x");
    FtpServer server(options);
    ASSERT_TRUE(server.start()) << server.log().toStdString();
    writeFile(server.localPath(QStringLiteral("a.txt")), "alpha\n");

    const auto login = [&](const QString& password) {
        return FtpStreamProperties{{FtpStreamProperty::kCFStreamPropertyFTPUserName, options.user},
                                   {FtpStreamProperty::kCFStreamPropertyFTPPassword, password}};
    };
    EXPECT_EQ(fetch(server.url(QStringLiteral("/a.txt")), login(options.password)), "alpha\n");

    auto wrongPassword =
        readFrom(server.url(QStringLiteral("/a.txt")), login(QStringLiteral("no")));
    wrongPassword->start();
    ASSERT_TRUE(wrongPassword->waitUntilDone(20000));
    EXPECT_TRUE(wrongPassword->failed);
    EXPECT_EQ(wrongPassword->error.domain, StreamErrorDomain::FTP);
    EXPECT_EQ(wrongPassword->error.code, 530);

    auto missing = readFrom(server.url(QStringLiteral("/missing.txt")), login(options.password));
    missing->start();
    ASSERT_TRUE(missing->waitUntilDone(20000));
    EXPECT_TRUE(missing->failed);
    EXPECT_EQ(missing->error.domain, StreamErrorDomain::FTP);
    EXPECT_EQ(missing->error.code, 550);
    EXPECT_FALSE(missing->eventInsideCall);
}

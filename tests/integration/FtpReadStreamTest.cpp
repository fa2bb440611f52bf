#include "StreamRecorder.h"
#include "platform/ftp/CurlMulti.h"

namespace {

QByteArray fetch(const QUrl& url, const FtpStreamProperties& properties = {})
{
    const auto recorder = readUrl(url, properties);
    EXPECT_TRUE(recorder->ended) << recorder->error.message.toStdString();
    EXPECT_FALSE(recorder->eventInsideCall);
    return recorder->received;
}

} // namespace

TEST(FtpReadStream, BothDataModesTransferAnEmptyListingReadsNothingSizesAreKnownAtOpen)
{
    // EPSV is refused and the PASV reply names an address nobody listens on: data connections
    // must go to the control connection's address all the same.
    FtpServer::Options options;
    options.noEpsv = true;
    options.pasvAddress = "192.0.2.1";
    options.verbose = true;
    // Without SIZE, the size comes from the opening reply or stays unknown.
    options.noSize = "nosize";
    options.openingSize = "opensize";
    FtpServer server(options);
    ASSERT_TRUE(server.start()) << server.log().toStdString();
    writeFile(server.localPath("a.txt"), "alpha\n");

    // An empty folder: open, then one has-bytes on which read answers 0.
    QDir(server.root()).mkdir("empty");
    const auto empty = readUrl(server.url("/empty/"));
    EXPECT_TRUE(empty->ended);
    EXPECT_TRUE(empty->received.isEmpty());
    EXPECT_EQ(empty->events, (std::vector<NSStreamEvent>{NSStreamEventOpenCompleted,
                                                         NSStreamEventHasBytesAvailable}));

    for (const bool passive : {true, false}) {
        const qsizetype logStart = server.commandLog().size();
        const FtpStreamProperties properties{
            {FtpStreamProperty::kCFStreamPropertyFTPUsePassiveMode, passive}};
        EXPECT_EQ(fetch(server.url("/a.txt"), properties), "alpha\n") << passive;
        EXPECT_TRUE(fetch(server.url(), properties).contains(" a.txt\r\n")) << passive;
        const QString log = server.commandLog().mid(logStart);
        EXPECT_EQ(log.contains(QLatin1String("<- PASV")), passive) << log.toStdString();
        EXPECT_EQ(log.contains(QLatin1String("<- EPRT")), !passive) << log.toStdString();
    }

    // The size the server announced is known when the file opens.
    const auto sizeAtOpen = [&](const QString& name) {
        writeFile(server.localPath(name), pattern(1000));
        const auto recorder = readUrl(server.url(QLatin1Char('/') + name));
        EXPECT_TRUE(recorder->ended && recorder->sizeAtOpen) << name.toStdString();
        return recorder->sizeAtOpen.value_or(std::nullopt);
    };
    EXPECT_EQ(sizeAtOpen("sized.bin"), 1000);
    EXPECT_EQ(sizeAtOpen("nosize-opensize.bin"), 1000);
    EXPECT_EQ(sizeAtOpen("nosize.bin"), std::nullopt);
}

TEST(FtpReadStream, ServerRefusalsComeInTheFtpDomainWithTheReplyCode)
{
    const FtpServer::Options options = FtpServer::loginOnly();
    FtpServer server(options);
    ASSERT_TRUE(server.start()) << server.log().toStdString();
    writeFile(server.localPath("a.txt"), "alpha\n");

    const auto login = [&](const QString& password) {
        return FtpStreamProperties{{FtpStreamProperty::kCFStreamPropertyFTPUserName, options.user},
                                   {FtpStreamProperty::kCFStreamPropertyFTPPassword, password}};
    };
    EXPECT_EQ(fetch(server.url("/a.txt"), login(options.password)), "alpha\n");

    for (const auto& [path, password, code] : {std::tuple{"/a.txt", QString("no"), 530},
                                               std::tuple{"/missing.txt", options.password, 550}}) {
        const auto refused = readUrl(server.url(QString::fromLatin1(path)), login(password));
        EXPECT_TRUE(refused->failed && refused->error.domain == StreamErrorDomain::FTP) << path;
        EXPECT_EQ(refused->error.code, code) << path;
        EXPECT_TRUE(refused->error.message.startsWith(QString::number(code)) &&
                    !refused->eventInsideCall)
            << refused->error.message.toStdString();
    }

    // Active mode refused: the message is the server's own reply, its escapes made visible.
    FtpServer refusing([](auto& o) { o.refuseActive = true; });
    ASSERT_TRUE(refusing.start()) << refusing.log().toStdString();
    const auto active =
        readUrl(refusing.url(), {{FtpStreamProperty::kCFStreamPropertyFTPUsePassiveMode, false}});
    EXPECT_TRUE(active->failed && active->error.domain == StreamErrorDomain::FTP);
    EXPECT_EQ(active->error.code, 550);
    EXPECT_EQ(active->error.message, "550 Active mode \u241B[1mrefused\u241B[0m.");
}

TEST(FtpReadStream, AListingHeldByItsOwnerLosesNoLineEnd)
{
    // libcurl reads a listing in ASCII mode and turns CRLF into LF; data it holds while the
    // owner's buffer is full is converted again when handed over, and a held chunk that
    // starts with LF after a read that ended in CR lost that LF: two entries became one.
    // Each write here is 512 lines, converted 32,768 bytes (two of libcurl's 16 KiB chunks),
    // ends in CR, and has LF right at its second chunk's start; unread, the 256 KiB buffer
    // fills in the middle of the eighth write, at such a chunk.
    QByteArray listing;
    QList<QByteArray> expected;
    const auto line = [&](int textLength) {
        QByteArray text = "-rw-r--r-- 1 u g 0 Jan  1 00:00 n" +
                          QByteArray::number(expected.size()).rightJustified(5, '0');
        text += QByteArray(textLength - text.size(), 'x');
        expected.append(text);
        return text;
    };
    for (int write = 0; write < 10; ++write) {
        if (write > 0)
            listing += '\0';
        QByteArray block = write > 0 ? "\n" : "";
        block += line(64) + "\r\n";
        for (int n = 0; n < 510; ++n)
            block += line(63) + "\r\n";
        block += line(62) + "\r";
        listing += block;
    }
    listing += "\0\n";

    QTemporaryDir dir;
    const QString listingFile = dir.filePath("listing.txt");
    writeFile(listingFile, listing);
    FtpServer server([&](auto& o) {
        o.listingFile = listingFile;
        o.listingPaced = true;
    });
    ASSERT_TRUE(server.start()) << server.log().toStdString();

    // Nothing is read until all was sent: the transfer pauses with libcurl holding a chunk.
    StreamRecorder recorder(FtpStream::CFReadStreamCreateWithFTPURL(server.url("/")));
    CurlMulti::takeHold();
    recorder.start();
    QTest::qWait(800);
    CurlMulti::releaseHold();
    ASSERT_TRUE(recorder.waitUntilDone(20000) && recorder.ended)
        << recorder.error.message.toStdString();
    QList<QByteArray> lines = recorder.received.split('\n');
    lines.removeIf([](const QByteArray& each) { return each.isEmpty() || each == "\r"; });
    for (QByteArray& each : lines)
        each.chop(1);
    EXPECT_TRUE(lines == expected) << lines.size() << " lines of " << expected.size();
}

#include "LoopbackPort.h"
#include "StreamRecorder.h"
#include "TinyProxy.h"

namespace {

const QString kProxyUser = QStringLiteral("proxyuser");
const QString kProxyPassword = QStringLiteral("proxy-secret");

FtpStreamProperties viaProxy(const QString& host, const QString& port,
                             const QString& user = kProxyUser,
                             const QString& password = kProxyPassword)
{
    return {{FtpStreamProperty::kCFStreamPropertyFTPUserName, QStringLiteral("anonymous")},
            {FtpStreamProperty::kCFStreamPropertyFTPPassword, QString()},
            {FtpStreamProperty::kCFStreamPropertyFTPUsePassiveMode, true},
            {FtpStreamProperty::kCFStreamPropertyFTPProxyHost, host},
            {FtpStreamProperty::kCFStreamPropertyFTPProxyPort, port},
            {FtpStreamProperty::kCFStreamPropertyFTPProxyUser, user},
            {FtpStreamProperty::kCFStreamPropertyFTPProxyPassword, password}};
}

} // namespace

TEST(FtpProxy, ListingUploadAndDeleteGoThroughAnHttpProxyAndFailuresNeverAroundIt)
{
    ShortTimeouts shortTimeouts;
    FtpServer server;
    ASSERT_TRUE(server.start()) << server.log().toStdString();
    writeFile(server.localPath(QStringLiteral("kept.txt")), "x");
    TinyProxy proxy(kProxyUser, kProxyPassword);
    const bool proxyRuns = proxy.start();
    const QString proxyPort = QString::number(proxy.port());
    const QString downPort = QString::number(LoopbackPort::pickFree());
    if (proxyRuns) {
        QFile(server.localPath(QStringLiteral("listed.txt"))).open(QIODevice::WriteOnly);

        const auto properties = viaProxy(QStringLiteral("127.0.0.1"), proxyPort);
        const auto listing = readUrl(server.url(), properties);
        EXPECT_TRUE(listing->ended) << listing->error.message.toStdString();
        EXPECT_TRUE(listing->received.contains(" listed.txt\r\n"));

        // Active mode cannot pass a proxy: the stream stays passive.
        auto activeProperties = properties;
        activeProperties[FtpStreamProperty::kCFStreamPropertyFTPUsePassiveMode] = false;
        const QByteArray content(300000, 'p');
        const auto upload =
            writeUrl(server.url(QStringLiteral("/up.bin")), content, activeProperties);
        EXPECT_TRUE(upload->uploaded && upload->confirmed) << upload->error.message.toStdString();
        EXPECT_EQ(QFileInfo(server.localPath(QStringLiteral("up.bin"))).size(), content.size());
        // A delete logs in on a control connection of its own.
        StreamError error;
        EXPECT_TRUE(CFURLDestroyResource(server.url(QStringLiteral("/up.bin")), properties, &error))
            << error.message.toStdString();
        EXPECT_FALSE(QFileInfo::exists(server.localPath(QStringLiteral("up.bin"))));

        // Every control connection and each data connection were tunnelled.
        const QString tunnel = QStringLiteral("CONNECT 127.0.0.1:");
        EXPECT_GE(proxy.log().count(tunnel), 4) << proxy.log().toStdString();
        EXPECT_EQ(proxy.log().count(tunnel + QString::number(server.port()) + ' '), 2);
        EXPECT_EQ(server.connections(), 2);
    }

    std::vector<std::pair<const char*, FtpStreamProperties>> cases = {
        {"proxy down", viaProxy(QStringLiteral("127.0.0.1"), downPort)},
        {"socks proxy down", viaProxy(QStringLiteral("socks5://127.0.0.1"), downPort)},
        {"port not a number", viaProxy(QStringLiteral("127.0.0.1"), QStringLiteral("80a"))},
        {"port out of range", viaProxy(QStringLiteral("127.0.0.1"), QStringLiteral("70000"))},
        {"no host", viaProxy(QString(), proxyPort)},
        {"unknown scheme", viaProxy(QStringLiteral("gopher://127.0.0.1"), proxyPort)},
    };
    if (proxyRuns) {
        cases.push_back({"wrong proxy password", viaProxy(QStringLiteral("127.0.0.1"), proxyPort,
                                                          kProxyUser, QStringLiteral("no"))});
        cases.push_back({"no proxy login",
                         viaProxy(QStringLiteral("127.0.0.1"), proxyPort, QString(), QString())});
    }
    for (const auto& [name, properties] : cases) {
        const auto upload = writeUrl(server.url(QStringLiteral("/leak.txt")), "x", properties);
        EXPECT_TRUE(upload->failed && !upload->confirmed && !upload->error.message.isEmpty())
            << name;
        EXPECT_EQ(upload->error.domain, StreamErrorDomain::Network) << name;
        EXPECT_FALSE(CFURLDestroyResource(server.url(QStringLiteral("/kept.txt")), properties));
    }
    QTest::qWait(200);
    EXPECT_EQ(server.connections(), proxyRuns ? 2 : 0) << server.log().toStdString();
    EXPECT_FALSE(QFileInfo::exists(server.localPath(QStringLiteral("leak.txt"))));
    EXPECT_TRUE(QFileInfo::exists(server.localPath(QStringLiteral("kept.txt"))));
}

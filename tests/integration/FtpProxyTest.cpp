#include "LoopbackPort.h"
#include "StreamRecorder.h"
#include "TinyProxy.h"

namespace {

const QString kProxyUser = "proxyuser";
const QString kProxyPassword = "proxy-secret";

FtpStreamProperties viaProxy(const QString& host, const QString& port,
                             const QString& user = kProxyUser,
                             const QString& password = kProxyPassword)
{
    return {{FtpStreamProperty::kCFStreamPropertyFTPUserName, "anonymous"},
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
    writeFile(server.localPath("kept.txt"), "x");
    TinyProxy proxy(kProxyUser, kProxyPassword);
    const bool proxyRuns = proxy.start();
    const QString proxyPort = QString::number(proxy.port());
    const QString downPort = QString::number(LoopbackPort::pickFree());
    if (proxyRuns) {
        QFile(server.localPath("listed.txt")).open(QIODevice::WriteOnly);

        const auto properties = viaProxy("127.0.0.1", proxyPort);
        const auto listing = readUrl(server.url(), properties);
        EXPECT_TRUE(listing->ended) << listing->error.message.toStdString();
        EXPECT_TRUE(listing->received.contains(" listed.txt\r\n"));

        // Active mode cannot pass a proxy: the stream stays passive.
        auto activeProperties = properties;
        activeProperties[FtpStreamProperty::kCFStreamPropertyFTPUsePassiveMode] = false;
        const QByteArray content(300000, 'p');
        const auto upload = writeUrl(server.url("/up.bin"), content, activeProperties);
        EXPECT_TRUE(upload->uploaded && upload->confirmed) << upload->error.message.toStdString();
        EXPECT_EQ(QFileInfo(server.localPath("up.bin")).size(), content.size());
        // A delete logs in on a control connection of its own.
        StreamError error;
        EXPECT_TRUE(CFURLDestroyResource(server.url("/up.bin"), properties, &error))
            << error.message.toStdString();
        EXPECT_FALSE(QFileInfo::exists(server.localPath("up.bin")));

        // Every control connection and each data connection were tunnelled.
        const QString tunnel = "CONNECT 127.0.0.1:";
        EXPECT_GE(proxy.log().count(tunnel), 4) << proxy.log().toStdString();
        EXPECT_EQ(proxy.log().count(tunnel + QString::number(server.port()) + ' '), 2);
        EXPECT_EQ(server.connections(), 2);
    }

    std::vector<std::pair<const char*, FtpStreamProperties>> cases = {
        {"proxy down", viaProxy("127.0.0.1", downPort)},
        {"socks proxy down", viaProxy("socks5://127.0.0.1", downPort)},
        {"port not a number", viaProxy("127.0.0.1", "80a")},
        {"port out of range", viaProxy("127.0.0.1", "70000")},
        {"no host", viaProxy(QString(), proxyPort)},
        {"unknown scheme", viaProxy("gopher://127.0.0.1", proxyPort)},
    };
    if (proxyRuns) {
        cases.push_back(
            {"wrong proxy password", viaProxy("127.0.0.1", proxyPort, kProxyUser, "no")});
        cases.push_back({"no proxy login", viaProxy("127.0.0.1", proxyPort, QString(), QString())});
    }
    for (const auto& [name, properties] : cases) {
        const auto upload = writeUrl(server.url("/leak.txt"), "x", properties);
        EXPECT_TRUE(upload->failed && !upload->confirmed && !upload->error.message.isEmpty())
            << name;
        EXPECT_EQ(upload->error.domain, StreamErrorDomain::Network) << name;
        EXPECT_FALSE(CFURLDestroyResource(server.url("/kept.txt"), properties));
    }
    QTest::qWait(200);
    EXPECT_EQ(server.connections(), proxyRuns ? 2 : 0) << server.log().toStdString();
    EXPECT_FALSE(QFileInfo::exists(server.localPath("leak.txt")));
    EXPECT_TRUE(QFileInfo::exists(server.localPath("kept.txt")));
}

#include <unistd.h>

#include "ProftpdServer.h"
#include "PureFtpdServer.h"
#include "StreamRecorder.h"
#include "TempSettings.h"
#include "TestCertificates.h"
#include "TinyProxy.h"
#include "VsftpdServer.h"

namespace {

using P = FtpStreamProperty;

FtpStreamProperties anonymous(Encryption encryption)
{
    return {{P::kCFStreamPropertyFTPUserName, "anonymous"},
            {P::kCFStreamPropertyFTPPassword, QString()},
            {P::kCFStreamPropertyFTPUsePassiveMode, true},
            {P::Encryption, QVariant::fromValue(encryption)}};
}

// A TLS vsftpd with a certificate that the test authority issued for 127.0.0.1.
class FtpTls : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(certificates.ok()) << certificates.problem().toStdString();
        FtpStream::setCertificateAuthorities(certificates.authority());
    }
    void TearDown() override { FtpStream::setCertificateAuthorities(QString()); }

    bool startServer(const TestCertificates::Pair& pair, bool implicitTls = false)
    {
        return server.start({pair.certificate, pair.key, implicitTls, true});
    }
    QUrl url(const QString& path) const { return server.url(path); }
    TestCertificates::Pair issuedForLoopback()
    {
        return certificates.issued("server", "IP:127.0.0.1");
    }

    const FtpStreamProperties tls = anonymous(Encryption::Require);
    TempSettings settings;
    TestCertificates certificates;
    VsftpdServer server;
};

} // namespace

TEST_F(FtpTls, TransfersAreByteExactAndConfirmedOverVerifiedTls)
{
    if (!startServer(issuedForLoopback()))
        GTEST_SKIP() << server.problem().toStdString();
    // 0 bytes, one TLS record's worth and more, and a large file whose data connection closes
    // while TLS 1.3 session tickets may still be in flight.
    for (const qsizetype size : {qsizetype(0), qsizetype(100000), qsizetype(50) << 20}) {
        const QByteArray bytes = pattern(size);
        const QString name = QStringLiteral("incoming/up-%1.bin").arg(size);
        // Time enough for 50 MiB through TLS under the sanitizers.
        const auto up = writeUrl(url(QLatin1Char('/') + name), bytes, tls, 120000);
        EXPECT_TRUE(up->confirmed) << size << up->error.message.toStdString();
        EXPECT_TRUE(readFile(server.localPath(name)) == bytes) << size;
        EXPECT_EQ(up->security.state, ConnectionSecurity::State::Verified) << size;
    }
    const auto down = readUrl(url("/incoming/up-100000.bin"), tls);
    EXPECT_TRUE(down->ended) << down->error.message.toStdString();
    EXPECT_TRUE(down->received == pattern(100000));
    EXPECT_EQ(down->security.protocol, "TLSv1.3");

    const auto made = writeUrl(url("/incoming/made/"), {}, tls);
    EXPECT_TRUE(made->ended) << made->error.message.toStdString();
    EXPECT_TRUE(QDir(server.localPath("incoming/made")).exists());
    StreamError error;
    EXPECT_TRUE(CFURLDestroyResource(url("/incoming/up-0.bin"), tls, &error))
        << error.message.toStdString();
    EXPECT_FALSE(QFile::exists(server.localPath("incoming/up-0.bin")));

    // "If available" takes TLS when offered, and the listing names what it holds.
    const auto listing = readUrl(url("/incoming/"), anonymous(Encryption::IfAvailable));
    EXPECT_TRUE(listing->received.contains("up-100000.bin"));
    EXPECT_EQ(listing->security.state, ConnectionSecurity::State::Verified);
}

TEST_F(FtpTls, ListingAfterADeleteResumesItsOwnControlConnectionsSession)
{
    // Both servers refuse a data connection that does not resume its control connection's
    // session; the delete logs in on a connection of its own, which must not lend its session.
    const auto pair = issuedForLoopback();
    VsftpdServer::Options tls12{pair.certificate, pair.key, false, true};
    tls12.tls12Only = true;
    if (!server.start(tls12))
        GTEST_SKIP() << server.problem().toStdString();
    if (const QString why = ProftpdServer::whyUnavailable(); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    ProftpdServer proftpd;
    ASSERT_TRUE(proftpd.start({pair.certificate, pair.key})) << proftpd.problem().toStdString();
    writeFile(server.localPath("incoming/gone.txt"), "x");
    writeFile(proftpd.localPath("incoming/gone.txt"), "x");
    for (const QUrl& folder : {url("/incoming/"), proftpd.url("/incoming/")}) {
        EXPECT_TRUE(readUrl(folder, tls)->received.contains("gone.txt"))
            << folder.toString().toStdString();
        StreamError error;
        EXPECT_TRUE(CFURLDestroyResource(folder.resolved(QUrl("gone.txt")), tls, &error))
            << error.message.toStdString();
        const auto reload = readUrl(folder, tls);
        EXPECT_TRUE(reload->ended)
            << reload->error.message.toStdString() << proftpd.tlsLog().toStdString();
        EXPECT_FALSE(reload->received.contains("gone.txt"));
    }
    EXPECT_EQ(readUrl(url("/"), tls)->security.protocol, "TLSv1.2");
}

TEST_F(FtpTls, UploadsInARowAndAListingOverTls13OnProftpd)
{
    if (const QString why = ProftpdServer::whyUnavailable(); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    ProftpdServer proftpd;
    const auto pair = issuedForLoopback();
    ASSERT_TRUE(proftpd.start({pair.certificate, pair.key, "TLSv1.3"}))
        << proftpd.problem().toStdString();
    // An upload's data connection brings no fresh TLS 1.3 ticket, and ProFTPD takes each once.
    for (const char* name : {"one.bin", "two.bin", "three.bin"}) {
        const QByteArray bytes = pattern(100000);
        const auto up = writeUrl(proftpd.url(QStringLiteral("/incoming/") + name), bytes, tls);
        EXPECT_TRUE(up->confirmed) << name << up->error.message.toStdString();
        EXPECT_TRUE(readFile(proftpd.localPath(QStringLiteral("incoming/") + name)) == bytes)
            << name;
    }
    const auto listing = readUrl(proftpd.url("/incoming/"), tls);
    EXPECT_TRUE(listing->ended) << listing->error.message.toStdString()
                                << proftpd.tlsLog().toStdString();
    EXPECT_TRUE(listing->received.contains("three.bin"));
    EXPECT_EQ(listing->security.protocol, "TLSv1.3");
}

TEST_F(FtpTls, ALoginRefusedWith421ShowsTheServersWords)
{
    if (const QString why = PureFtpdServer::whyUnavailable(); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    PureFtpdServer pure;
    const auto pair = issuedForLoopback();
    ASSERT_TRUE(pure.start(pair.certificate, pair.key)) << pure.problem().toStdString();
    const auto refused = readUrl(pure.url("/"), anonymous(Encryption::None));
    EXPECT_TRUE(refused->failed && refused->error.domain == StreamErrorDomain::FTP);
    EXPECT_EQ(refused->error.code, 421);
    EXPECT_TRUE(mentions(refused->error, "cleartext"));
}

TEST_F(FtpTls, NoGreetingOnPort990SaysThePortMayExpectImplicitTls)
{
    const auto pair = issuedForLoopback();
    VsftpdServer::Options implicit{pair.certificate, pair.key, true};
    implicit.port = 990;
    // One port 990 serves every test run on the machine: an address of this run's own keeps
    // runs at the same time apart.
    const int run = getpid();
    implicit.address =
        QStringLiteral("127.%1.%2.%3").arg((run >> 16) & 255).arg((run >> 8) & 255).arg(run & 255);
    if (!server.start(implicit))
        GTEST_SKIP() << server.problem().toStdString();
    const auto waited = readUrl(url("/"), tls);
    EXPECT_TRUE(waited->failed);
    EXPECT_TRUE(mentions(waited->error, "implicit TLS"));
}

TEST_F(FtpTls, ImplicitTlsAndTlsThroughAnHttpProxy)
{
    if (!startServer(issuedForLoopback(), true))
        GTEST_SKIP() << server.problem().toStdString();
    const auto implicitList = readUrl(url("/"), anonymous(Encryption::Implicit));
    EXPECT_TRUE(implicitList->ended) << implicitList->error.message.toStdString();
    EXPECT_EQ(implicitList->security.state, ConnectionSecurity::State::Verified);

    TinyProxy proxy("pu", "pp");
    if (!proxy.start())
        GTEST_SKIP() << "tinyproxy cannot run here: " << proxy.problem().toStdString();
    const FtpStreamProperties viaProxy = proxy.carrying(anonymous(Encryption::Implicit));
    const QByteArray bytes = pattern(300000);
    const auto up = writeUrl(url("/incoming/proxied.bin"), bytes, viaProxy);
    EXPECT_TRUE(up->confirmed) << up->error.message.toStdString();
    EXPECT_TRUE(readFile(server.localPath("incoming/proxied.bin")) == bytes);
    const auto listing = readUrl(url("/incoming/"), viaProxy);
    EXPECT_TRUE(listing->received.contains("proxied.bin"));
    EXPECT_EQ(listing->security.state, ConnectionSecurity::State::Verified);
    EXPECT_TRUE(proxy.log().contains("CONNECT")) << proxy.log().toStdString();
}

TEST_F(FtpTls, CertificateProblemsStopBeforeTheLoginAndAreNamedPlainly)
{
    const std::pair<TestCertificates::Pair, const char*> cases[] = {
        {certificates.issued("old", "IP:127.0.0.1", -1), "The server's certificate has expired"},
        {certificates.issuedLater("later", "IP:127.0.0.1"),
         "The server's certificate is not valid yet"},
        {certificates.issued("other", "DNS:other.example"),
         "The server's certificate is for another host name (it names other.example)"},
        {certificates.selfSigned("self"), "The server's certificate is self-signed"},
        {certificates.selfSigned("stale", "DNS:other.example,DNS:www.other.example", -1),
         "The server's certificate is self-signed, has expired and is for another host name "
         "(it names other.example, www.other.example)"},
    };
    for (const auto& [pair, text] : cases) {
        server.stop();
        if (!startServer(pair))
            GTEST_SKIP() << server.problem().toStdString();
        const auto outcome = readUrl(url("/"), anonymous(Encryption::IfAvailable));
        EXPECT_TRUE(outcome->failed) << text;
        EXPECT_EQ(outcome->error.message, QString::fromLatin1(text));
        EXPECT_EQ(outcome->security.problem, ConnectionSecurity::Problem::Untrusted) << text;
        ASSERT_TRUE(outcome->security.certificate) << text;
        EXPECT_EQ(outcome->security.certificate->fingerprint,
                  certificates.fingerprint(pair.certificate));
    }
}

TEST(FtpTlsRefusal, RequiredTlsIsNeverDowngradedAndSendsNoLogin)
{
    ShortTimeouts shortTimeouts;
    TempSettings settings;
    FtpServer server([](auto& o) { o.verbose = true; });
    ASSERT_TRUE(server.start()) << server.log().toStdString();
    // A plain connection first: the next transfers must not reuse it.
    EXPECT_TRUE(readUrl(server.url(), anonymous(Encryption::None))->ended);
    const qsizetype logStart = server.commandLog().size();
    for (const Encryption mode : {Encryption::Require, Encryption::Implicit}) {
        const auto refused = readUrl(server.url(), anonymous(mode));
        const std::string name = keyOfEncryption(mode).toStdString();
        EXPECT_TRUE(refused->failed) << name;
        EXPECT_EQ(refused->error.message, "The server does not offer TLS")
            << name << refused->error.message.toStdString();
    }
    const QString log = server.commandLog().mid(logStart);
    EXPECT_FALSE(log.contains("USER") || log.contains("PASS")) << log.toStdString();
}

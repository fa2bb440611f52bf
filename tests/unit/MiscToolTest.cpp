#include "MiscTool.h"

#include <gtest/gtest.h>

#include "TempSettings.h"
#include "platform/UserDefaults.h"

TEST(MiscTool, ConvertBytesAcrossEveryUnitBoundary)
{
    const std::pair<uint64_t, const char*> cases[] = {
        {0, "--"},
        {1023, "1023 Bytes"},
        {1024, "1.0 KB"},
        {1048575, "1024.0 KB"},
        {1073741791, "1024.0 MB"},
        {1073741792, "1.00 GB"},
        {UINT64_MAX, "17179869184.00 GB"},
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(MiscTool::convertBytes(bytes), QString::fromLatin1(text)) << bytes;
}

TEST(MiscTool, SmartUrlTrimsAddsTheSchemeAndRefusesOthers)
{
    EXPECT_EQ(MiscTool::smartURLForString("  h/x  ")->toString(), "ftp://h/x");
    EXPECT_EQ(MiscTool::smartURLForString("FTP://h/")->scheme().toLower(), "ftp");
    EXPECT_TRUE(MiscTool::smartURLForString("ftp://h:21/a%20b/c%20d.txt"));
    for (const char* bad : {"http://h/", "://h/", "", "h/x\n", "ftp://h/a b"})
        EXPECT_FALSE(MiscTool::smartURLForString(QLatin1String(bad))) << bad;
}

TEST(MiscTool, LocationIsThePathBelowTheRootDecodedTwice)
{
    EXPECT_EQ(MiscTool::getFTPLocation("ftp://h:21/", "ftp://h:21/"), "/");
    EXPECT_EQ(MiscTool::getFTPLocation("ftp://h:21/pub/a%20b/c/", "ftp://h:21/pub/"), "/a b/c/");
    EXPECT_EQ(MiscTool::getFTPLocation("ftp://h:21/%2541/", "ftp://h:21/"), "/A/");
    // Undecodable parts are shown as they stand; a foreign root still gives a path.
    EXPECT_EQ(MiscTool::getFTPLocation("ftp://h:21/100%/", "ftp://h:21/"), "/100%/");
    EXPECT_EQ(MiscTool::getFTPLocation("ftp://h:21/%FF/", "ftp://h:21/"), "/%FF/");
    EXPECT_EQ(MiscTool::getFTPLocation("ftp://old:21/a/b/", "ftp://h:21/"), "/a/b/");
    EXPECT_EQ(MiscTool::getFTPLocation("", "ftp://h:21/"), "/");
}

TEST(MiscTool, ServerAddressesAreHostNamesIPv4OrBracketedIPv6AndPorts1To65535)
{
    for (const char* good : {"127.0.0.1", "ftp.example.org", "localhost", "my_host-1.lan.", "[::1]",
                             "[2001:db8::7]", "bücher.example"})
        EXPECT_EQ(MiscTool::hostProblem(QString::fromUtf8(good)), "") << good;
    for (const char* bad : {"", "127.0.0.1/pub", "x@127.0.0.1", "host:21", "::1", "a b", " h",
                            "[::1", "[127.0.0.1]", "256.1.1.1", "1.2.3", "-h.org", "a..b", "h\x01"})
        EXPECT_TRUE(MiscTool::hostProblem(QString::fromUtf8(bad)).startsWith("Host")) << bad;
    for (const char* good : {"1", "21", "65535"})
        EXPECT_EQ(MiscTool::portProblem(QString::fromLatin1(good)), "") << good;
    for (const char* bad : {"", "0", "65536", "21a", " 21", "-1", "99999999999"})
        EXPECT_TRUE(MiscTool::portProblem(QString::fromLatin1(bad)).startsWith("Port")) << bad;
}

namespace {

FtpStreamProperties propertiesWith(const QVariantMap& saved)
{
    auto& store = UserDefaults::standardUserDefaults();
    for (auto it = saved.begin(); it != saved.end(); ++it)
        store.setObject(it.value(), it.key());
    return MiscTool::streamProperties();
}

using P = FtpStreamProperty;

} // namespace

TEST(MiscTool, StreamPropertiesFollowTheSavedLoginModeAndProxy)
{
    TempSettings settings;
    FtpStreamProperties p = propertiesWith({{"Anonymous", 1LL},
                                            {"User", "alice"},
                                            {"Password", "secret"},
                                            {"Passive", 1LL},
                                            {"UseProxy", 0LL},
                                            {"ProxyHost", "proxy"}});
    EXPECT_EQ(p[P::kCFStreamPropertyFTPUserName].toString(), "anonymous");
    EXPECT_TRUE(p[P::kCFStreamPropertyFTPPassword].toString().isEmpty());
    EXPECT_TRUE(p[P::kCFStreamPropertyFTPUsePassiveMode].toBool());
    EXPECT_FALSE(p.count(P::kCFStreamPropertyFTPProxyHost));
    EXPECT_EQ(p[P::Encryption].value<Encryption>(), Encryption::IfAvailable); // none stored

    EXPECT_EQ(propertiesWith({{"Encryption", "implicit"}})[P::Encryption].value<Encryption>(),
              Encryption::Implicit);
    EXPECT_EQ(propertiesWith({{"Encryption", "bogus"}})[P::Encryption].value<Encryption>(),
              Encryption::IfAvailable);

    p = propertiesWith({{"Anonymous", 0LL},
                        {"User", ""},
                        {"Passive", 0LL},
                        {"UseProxy", 1LL},
                        {"ProxyHost", "proxy"},
                        {"ProxyPort", ""},
                        {"ProxyUser", ""},
                        {"ProxyPassword", ""}});
    EXPECT_EQ(p.at(P::kCFStreamPropertyFTPUserName), QString(""));
    EXPECT_EQ(p[P::kCFStreamPropertyFTPPassword].toString(), "secret");
    EXPECT_EQ(p.at(P::kCFStreamPropertyFTPUsePassiveMode), false);
    EXPECT_EQ(p[P::kCFStreamPropertyFTPProxyHost].toString(), "proxy");

    // A switch holding 2: anonymous counts as on, passive and proxy as off.
    p = propertiesWith({{"Anonymous", 2LL}, {"Passive", 2LL}, {"UseProxy", 2LL}});
    EXPECT_EQ(p[P::kCFStreamPropertyFTPUserName].toString(), "anonymous");
    EXPECT_FALSE(p[P::kCFStreamPropertyFTPUsePassiveMode].toBool());
    EXPECT_FALSE(p.count(P::kCFStreamPropertyFTPProxyHost));
}

#include "MiscTool.h"
#include "TempSettings.h"
#include "platform/UserDefaults.h"

#include <gtest/gtest.h>

#include <ctime>

#include <QFile>
#include <QTemporaryDir>

namespace {

void saveServer(const QString& host, const QString& port, const QString& directory,
                const QString& user = QString(), const QString& password = QString())
{
    auto& store = UserDefaults::standardUserDefaults();
    store.setObject(host, QStringLiteral("Host"));
    store.setObject(port, QStringLiteral("Port"));
    store.setObject(directory, QStringLiteral("Directory"));
    store.setObject(user, QStringLiteral("User"));
    store.setObject(password, QStringLiteral("Password"));
}

ListingEntry entry(std::optional<int32_t> type, std::optional<int64_t> size)
{
    ListingEntry e;
    e.kCFFTPResourceName = QStringLiteral("n");
    e.kCFFTPResourceType = type;
    e.kCFFTPResourceSize = size;
    return e;
}

} // namespace

TEST(MiscTool, ConvertBytesAcrossEveryUnitBoundary)
{
    const std::pair<uint64_t, const char*> cases[] = {
        {0, "--"},
        {1, "1 Bytes"},
        {1023, "1023 Bytes"},
        {1024, "1.0 KB"},
        {1536, "1.5 KB"},
        {1048575, "1024.0 KB"},
        {1048576, "1.0 MB"},
        {1073741791, "1024.0 MB"},
        {1073741792, "1.00 GB"},
        {1073741823, "1.00 GB"},
        {1610612736, "1.50 GB"},
        {UINT64_MAX, "17179869184.00 GB"},
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(MiscTool::convertBytes(bytes), QString::fromLatin1(text)) << bytes;
}

TEST(MiscTool, RootUrlsAreBuiltVerbatimFromTheStore)
{
    TempSettings settings;
    saveServer("h", "21", "");
    EXPECT_EQ(MiscTool::getFTPURL(), "ftp://h:21/");
    EXPECT_EQ(MiscTool::getFullFTPURL(), "ftp://:@h:21/");
    saveServer("h", "21", "pub/incoming", "u", "p w@");
    EXPECT_EQ(MiscTool::getFTPURL(), "ftp://h:21/pub/incoming/");
    EXPECT_EQ(MiscTool::getFullFTPURL(), "ftp://u:p w@@h:21/pub/incoming/");
    saveServer("h", "", "/pub");
    EXPECT_EQ(MiscTool::getFTPURL(), "ftp://h://pub/");
    saveServer("my host", "21", "a b");
    EXPECT_EQ(MiscTool::getFTPURL(), "ftp://my host:21/a b/");
    EXPECT_FALSE(MiscTool::smartURLForString(MiscTool::getFTPURL()));
}

TEST(MiscTool, CredentialedUrlOfAPlaceBelowTheRoot)
{
    TempSettings settings;
    saveServer("h", "21", "pub", "anonymous", "");
    EXPECT_EQ(MiscTool::convert2FullFTPURL("ftp://h:21/pub/a.txt"), "ftp://anonymous:@h:21/pub/a.txt");
    // Settings changed while an older folder is shown: that folder's own server gets the login.
    EXPECT_EQ(MiscTool::convert2FullFTPURL("ftp://old:2121/x/y.txt"),
              "ftp://anonymous:@old:2121/x/y.txt");
    EXPECT_EQ(MiscTool::convert2FullFTPURL("ftp://a:b@old/y"), "ftp://anonymous:@old/y");
    EXPECT_EQ(MiscTool::convert2FullFTPURL(""), "ftp://anonymous:@");
}

TEST(MiscTool, SmartUrlTrimsAddsTheSchemeAndRefusesOthers)
{
    EXPECT_EQ(MiscTool::smartURLForString("  h/x  ")->toString(), "ftp://h/x");
    EXPECT_EQ(MiscTool::smartURLForString("\th/x\t")->toString(), "ftp://h/x");
    EXPECT_EQ(MiscTool::smartURLForString("FTP://h/")->scheme().toLower(), "ftp");
    EXPECT_TRUE(MiscTool::smartURLForString("ftp://h:21/a%20b/c%20d.txt"));
    EXPECT_FALSE(MiscTool::smartURLForString("http://h/"));
    EXPECT_FALSE(MiscTool::smartURLForString("://h/"));
    EXPECT_FALSE(MiscTool::smartURLForString(""));
    EXPECT_FALSE(MiscTool::smartURLForString("h/x\n"));
    EXPECT_FALSE(MiscTool::smartURLForString("ftp://h/a b"));
}

TEST(MiscTool, LocationIsThePathBelowTheRootDecodedTwice)
{
    EXPECT_EQ(MiscTool::getFTPLocation("ftp://h:21/", "ftp://h:21/"), "/");
    EXPECT_EQ(MiscTool::getFTPLocation("ftp://h:21/pub/a%20b/c/", "ftp://h:21/pub/"), "/a b/c/");
    EXPECT_EQ(MiscTool::getFTPLocation("ftp://h:21/%2541/", "ftp://h:21/"), "/A/");
    EXPECT_EQ(MiscTool::getFTPLocation("ftp://h:21/%C3%A9/", "ftp://h:21/"), "/é/");
    // Undecodable parts are shown as they stand; a foreign root still gives a path.
    EXPECT_EQ(MiscTool::getFTPLocation("ftp://h:21/100%/", "ftp://h:21/"), "/100%/");
    EXPECT_EQ(MiscTool::getFTPLocation("ftp://h:21/%FF/", "ftp://h:21/"), "/%FF/");
    EXPECT_EQ(MiscTool::getFTPLocation("ftp://old:21/a/b/", "ftp://h:21/"), "/a/b/");
    EXPECT_EQ(MiscTool::getFTPLocation("", "ftp://h:21/"), "/");
}

TEST(MiscTool, EntryReadersTreatEverythingButRegularFilesAsFolders)
{
    EXPECT_EQ(MiscTool::getFileSize(entry(8, 42)), "42");
    EXPECT_EQ(MiscTool::getFileSize(entry(8, 0)), "0");
    EXPECT_EQ(MiscTool::getFileSize(entry(4, 4096)), "-");
    EXPECT_EQ(MiscTool::getFileSize(entry(std::nullopt, 7)), "-");
    EXPECT_EQ(MiscTool::getFileSize(entry(8, std::nullopt)), "?");
    EXPECT_EQ(MiscTool::getFileSize(entry(4, std::nullopt)), "?");
    EXPECT_EQ(MiscTool::getFileSize(entry(8, INT64_MAX)), "9223372036854775807");
    EXPECT_EQ(MiscTool::getFileType(entry(std::nullopt, 1)), 0);
    EXPECT_EQ(MiscTool::getFileType(entry(10, 1)), 10);
    EXPECT_FALSE(MiscTool::getFileName(ListingEntry{}));
}

TEST(MiscTool, DateFormatterIsMadeOnlyForTheFirstEntryWithADate)
{
    MiscTool::discardDateFormatter();
    ListingEntry undated = entry(8, 1);
    EXPECT_EQ(MiscTool::getFileDate(undated), "");
    EXPECT_FALSE(MiscTool::hasDateFormatter());
    ListingEntry dated = undated;
    dated.kCFFTPResourceModDate = QDateTime(QDate(2024, 3, 5), QTime(14, 7), Qt::UTC);
    const QString text = MiscTool::getFileDate(dated);
    EXPECT_TRUE(MiscTool::hasDateFormatter());
    EXPECT_EQ(text, QLocale::system().toString(dated.kCFFTPResourceModDate->toLocalTime(),
                                               QLocale::ShortFormat));
}

// The formatter keeps the zone's offset between transitions: dates on both sides of a
// daylight-saving change, and in another year, show as the C library's local time does.
TEST(MiscTool, DatesShowInLocalTimeAcrossDaylightSavingChanges)
{
    const QByteArray oldTz = qgetenv("TZ");
    qputenv("TZ", "Europe/Berlin");
    tzset();
    MiscTool::discardDateFormatter();
    ListingEntry dated = entry(8, 1);
    const QDateTime spring(QDate(2024, 3, 31), QTime(1, 0), Qt::UTC); // 02:00 -> 03:00 local
    ASSERT_EQ(spring.toLocalTime().offsetFromUtc(), 7200);
    for (const QDateTime& utc :
         {spring.addSecs(-60), spring, spring.addSecs(60), spring.addSecs(-7200),
          QDateTime(QDate(2024, 10, 27), QTime(0, 59), Qt::UTC),
          QDateTime(QDate(2024, 10, 27), QTime(1, 0), Qt::UTC),
          QDateTime(QDate(2019, 7, 1), QTime(12, 0), Qt::UTC), spring.addSecs(60)}) {
        dated.kCFFTPResourceModDate = utc;
        EXPECT_EQ(MiscTool::getFileDate(dated),
                  QLocale::system().toString(utc.toLocalTime(), QLocale::ShortFormat))
            << utc.toString(Qt::ISODate).toStdString();
    }
    if (oldTz.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", oldTz);
    tzset();
    MiscTool::discardDateFormatter();
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

TEST(MiscTool, LocalFoldersAndSizes)
{
    const QString home = MiscTool::getUserHome();
    EXPECT_TRUE(home.startsWith('/'));
    EXPECT_TRUE(home == "/" || !home.endsWith('/'));
    EXPECT_EQ(MiscTool::getDownloadFolder(), home == "/" ? "/Downloads" : home + "/Downloads");

    QTemporaryDir dir;
    QFile file(dir.filePath("f"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(12345, 'x'));
    file.close();
    EXPECT_EQ(MiscTool::getLocalFileSize(file.fileName()), 12345u);
    EXPECT_EQ(MiscTool::getLocalFileSize(dir.filePath("missing")), 0u);
    EXPECT_EQ(MiscTool::getLocalFileSize(""), 0u);
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
    FtpStreamProperties p = propertiesWith({{"Anonymous", 1LL}, {"User", "alice"},
                                            {"Password", "secret"}, {"Passive", 1LL},
                                            {"UseProxy", 0LL}, {"ProxyHost", "proxy"}});
    EXPECT_EQ(p[P::kCFStreamPropertyFTPUserName].toString(), "anonymous");
    EXPECT_TRUE(p[P::kCFStreamPropertyFTPPassword].toString().isEmpty());
    EXPECT_EQ(p[P::kCFStreamPropertyFTPUsePassiveMode].toBool(), true);
    EXPECT_FALSE(p.count(P::kCFStreamPropertyFTPProxyHost));

    p = propertiesWith({{"Anonymous", 0LL}, {"User", ""}, {"Passive", 0LL}, {"UseProxy", 1LL},
                        {"ProxyHost", "proxy"}, {"ProxyPort", ""}, {"ProxyUser", ""},
                        {"ProxyPassword", ""}});
    ASSERT_TRUE(p.count(P::kCFStreamPropertyFTPUserName));
    EXPECT_EQ(p[P::kCFStreamPropertyFTPUserName].toString(), "");
    EXPECT_EQ(p[P::kCFStreamPropertyFTPPassword].toString(), "secret");
    ASSERT_TRUE(p.count(P::kCFStreamPropertyFTPUsePassiveMode));
    EXPECT_EQ(p[P::kCFStreamPropertyFTPUsePassiveMode].toBool(), false);
    EXPECT_EQ(p[P::kCFStreamPropertyFTPProxyHost].toString(), "proxy");
    for (P key : {P::kCFStreamPropertyFTPProxyPort, P::kCFStreamPropertyFTPProxyUser,
                  P::kCFStreamPropertyFTPProxyPassword})
        EXPECT_TRUE(p.count(key) && p[key].toString().isEmpty());

    // A switch holding 2: anonymous counts as on, passive and proxy as off.
    p = propertiesWith({{"Anonymous", 2LL}, {"Passive", 2LL}, {"UseProxy", 2LL}});
    EXPECT_EQ(p[P::kCFStreamPropertyFTPUserName].toString(), "anonymous");
    EXPECT_EQ(p[P::kCFStreamPropertyFTPUsePassiveMode].toBool(), false);
    EXPECT_FALSE(p.count(P::kCFStreamPropertyFTPProxyHost));
}

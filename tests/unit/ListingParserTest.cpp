#include "platform/ftp/ListingParser.h"

#include <cstring>
#include <memory>
#include <string>

#include <QFile>
#include <QLocale>

#include <gtest/gtest.h>

namespace {

constexpr int64_t kNoSize = -1;
// The "now" of every table unless a row says otherwise: year-less dates fall in 2025.
const QDateTime kNow(QDate(2025, 12, 10), QTime(12, 0), Qt::UTC);
const char* const kNov5 = "2025-11-05T14:07";
const char* const kMar5 = "2024-03-05T14:07";
const char* const kMar2020 = "2020-03-05";
const char* const kOct15 = "2025-10-15T12:40";

struct Parsed
{
    int64_t consumed = 0;
    std::optional<ListingEntry> entry;
};

// Parses from an exact-size heap copy, so that a read past the given length is an
// AddressSanitizer report and not a silent read of a terminating NUL.
Parsed parse(const std::string& bytes, const QDateTime& now = kNow)
{
    auto copy = std::make_unique<char[]>(bytes.size());
    std::memcpy(copy.get(), bytes.data(), bytes.size());
    Parsed p;
    p.consumed = CFFTPCreateParsedResourceListing(copy.get(), static_cast<int64_t>(bytes.size()),
                                                  &p.entry, now);
    return p;
}

struct Row
{
    std::string line;
    int type;              // -1: none given
    int64_t size;          // kNoSize: none given
    const char* date;      // UTC, nullptr: none given
    std::string name = {}; // raw bytes; none: the line's last word
};

void expectEntry(const Row& row, const QDateTime& now = kNow)
{
    SCOPED_TRACE(row.line);
    const Parsed p = parse(row.line + "\r\n", now);
    ASSERT_EQ(p.consumed, static_cast<int64_t>(row.line.size() + 2));
    ASSERT_TRUE(p.entry);
    const std::string name = row.name.empty() ? row.line.substr(row.line.rfind(' ') + 1) : row.name;
    EXPECT_EQ(p.entry->rawName, QByteArray::fromStdString(name));
    EXPECT_EQ(p.entry->kCFFTPResourceName, QString::fromLatin1(name.data(), name.size()));
    const auto given = [](auto value, auto none) {
        return value == none ? std::nullopt : std::optional(value);
    };
    EXPECT_EQ(p.entry->kCFFTPResourceType, given(row.type, -1));
    EXPECT_EQ(p.entry->kCFFTPResourceSize, given(row.size, kNoSize));
    // "YYYY-MM-DD", "YYYY-MM-DDTHH:MM" or with seconds, in UTC ("Z"): what is left out is 0.
    const auto& date = p.entry->kCFFTPResourceModDate;
    EXPECT_EQ(date ? date->toString(Qt::ISODate) : "none",
              row.date ? row.date + QString("T00:00:00Z").mid(strlen(row.date) - 10) : "none");
}

// A line that names no entry is consumed whole; one that looks like no entry and no header
// is reported, as a negative count.
void expectNothing(const std::string& line, bool reported = false)
{
    SCOPED_TRACE(line);
    const Parsed p = parse(line + "\n");
    EXPECT_EQ(p.consumed, static_cast<int64_t>(line.size() + 1) * (reported ? -1 : 1));
    EXPECT_FALSE(p.entry);
}

} // namespace

TEST(ListingParser, RecordedListingsParseWholeLineByLine)
{
    // The servers' own bytes, CRLF kept, fed as the browser does: advance by what is consumed.
    const std::pair<const char*, int> samples[] = {
        {"pyftpdlib-LIST.txt", 20},
        {"vsftpd-LIST.txt", 20},
        {"proftpd-LIST.txt", 10},
        {"pureftpd-LIST.txt", 8}, // and "." and "..", which are left out
    };
    for (const auto& [file, expected] : samples) {
        SCOPED_TRACE(file);
        QFile f(qEnvironmentVariable("TANDREL_SOURCE_DIR", TANDREL_SOURCE_DIR) + "/fuzz/corpus/" +
                file);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        int entries = 0;
        int64_t offset = 0;
        while (offset < bytes.size()) {
            std::optional<ListingEntry> entry;
            const int64_t n = CFFTPCreateParsedResourceListing(bytes.constData() + offset,
                                                               bytes.size() - offset, &entry, kNow);
            ASSERT_GT(n, 0) << "at " << offset;
            entries += entry ? 1 : 0;
            offset += n;
        }
        EXPECT_EQ(entries, expected);
    }
}

TEST(ListingParser, EveryServersFormatAndItsOddities)
{
    const std::string U = "-rw-r--r-- 1 u g ";
    const Row rows[] = {
        // Unix, dates in other languages and orders.
        {U + "5 Okt 15 12:40 de", 8, 5, kOct15},
        {U + "5 d\xC3\xA9"
             "c. 24  2019 fr",
         8, 5, "2019-12-24"},
        {U + "5 \xCF\xCB\xD4 15 12:40 ru-koi8", 8, 5, kOct15},
        {U + "5 \xEE\xEA\xF2 15 12:40 ru-cp1251", 8, 5, kOct15},
        {U + "5 15 Oct 12:40 day-first", 8, 5, kOct15},
        {U + "5 14. M\xC3\xA4rz, 08:05 de-long", 8, 5, "2026-03-14T08:05"},
        {U + "5 11-05 2009 md-year", 8, 5, "2009-11-05"},
        {U + "5 2008/03/21 09:15 slashes", 8, 5, "2008-03-21T09:15"},
        {U + "5 15-mar-98 dmony", 8, 5, "1998-03-15"},
        {U + "5 7\xE6\x9C\x88 21\xE6\x97\xA5 2004\xE5\xB9\xB4 ja", 8, 5, "2004-07-21"},
        {U + "5 5\xEC\x9B\x94 3 14:07 ko", 8, 5, "2026-05-03T14:07"},
        {U + "5 30. Jan., 12:40 de-dotted", 8, 5, "2026-01-30T12:40"},
        // CJK units in Shift-JIS (an ASCII byte last), EUC-JP, EUC-KR and GBK.
        {U + "5 7\x8C\x8E 21\x93\xFA 2004\x94\x4E sjis", 8, 5, "2004-07-21"},
        {U + "5 7\xB7\xEE 21\xC6\xFC 2004\xC7\xAF euc-jp", 8, 5, "2004-07-21"},
        {U + "5 2006\xB3\xE2 3\xBF\xF9 9\xC0\xCF euc-kr", 8, 5, "2006-03-09"},
        {U + "5 8\xD4\xC2 17 08:52 gbk", 8, 5, "2025-08-17T08:52"},
        {U + "5 Oct 14 24:00 midnight", 8, 5, "2025-10-15"},
        // Unix, the date found whatever the columns before it.
        {"-rw-r--r-- 1 owner 12 Nov 05 14:07 no-group", 8, 12, kNov5},
        {"-rw-r--r-- 12 Nov 05 14:07 no-owner-no-group-no-links", 8, 12, kNov5},
        {"-rw-r--r-- 1 webmaster987654321 Nov 05 14:07 fused", 8, 987654321, kNov5},
        {U + "12.5k Nov 05 14:07 unit", 8, 12800, kNov5},
        {U + "1234 no date", 8, 1234, nullptr, "no date"},
        {"d[RW---F-] 1 admin 512 Sep 03  2009 netware-fused", 4, 512, "2009-09-03"},
        {U + "-5 Nov 05 14:07 negative", 8, kNoSize, kNov5},
        {"-rw-r--r-- 1 user Domain Users 12 Nov 05 14:07 group-with-space", 8, 12, kNov5},
        {"-rw-r--r--   1 u g 12 2024-03-05 14:07 long-iso", 8, 12, kMar5},
        {"-rw-r--r--   1 u g 12 2024-03-05 14:07:33.250000000 +0100 full-iso", 8, 12,
         "2024-03-05T13:07:33"},
        {"-rw-r--r--   1 u g 12 Nov 05 14:07 2024", 8, 12, kNov5},
        {"-rw-r--r--   1 u g 12 Feb 30 14:07 no-such-day", 8, 12, nullptr},
        {"-rw------ - 1 root wheel 12 Oct 20, 99 10:39 pm split-mode", 8, 12, "1999-10-20T22:39"},
        {U + "12 1080206400 epoch", 8, 12, "2004-03-25T09:20"},
        {"-rwxr-xr-x 1 u g 12 Nov 05 2024 14:07 year-and-time", 8, 12, "2024-11-05T14:07"},
        {"-rwxrwxrwx 1 u g 0 Nov 05 14:07 slash/", 4, 0, kNov5, "slash"},
        {"-rwxrwxrwx 1 u g <DIR> Nov 05 14:07 dir-word", 4, 0, kNov5},
        {"-rw-r--r--   1 a-very-long-owner-name-that-goes-on-and-on  a-group-name-just-as-long-"
         "as-that 123456 Nov 05 14:07 far out",
         8, 123456, kNov5, "far out"},
        // Names keep their spaces, but not a column's padding; links lose their target,
        // devices have no size.
        {"d [RWCEAFMS] supervisor            512 Oct 16 18:53    login", 4, 512,
         "2025-10-16T18:53"},
        {U + "1 Mar  5 2020  left-year", 8, 1, kMar2020},
        {U + "1 2020.03.05   dotted", 8, 1, kMar2020},
        {U + "1 Nov 05 14:07   leading", 8, 1, kNov5, "  leading"},
        {U + "1 Mar  5  2020  lead", 8, 1, kMar2020, " lead"},
        {U + "1 Mar  5  2020 trailing  ", 8, 1, kMar2020, "trailing  "},
        {"lrwxrwxrwx 1 u g 1 Nov 05 14:07 my link -> ../a -> b", 10, 1, kNov5, "my link"},
        {"crw-rw-rw-   1 root     root       1,   3 Nov 05 14:07 null", 2, kNoSize, kNov5},
        {U + "1 Nov 05 14:07 tab\there\x01", 8, 1, kNov5},
        // DOS and IIS: folders listed without a size get 0 (MiscTool's folder test needs a size).
        {"03-05-24  02:07PM       <DIR>          Program Files", 4, 0, kMar5, "Program Files"},
        {"12-31-99  12:00AM                    0 midnight", 8, 0, "1999-12-31"},
        {"03-05-2024  14:07                 1234  two leading", 8, 1234, kMar5, " two leading"},
        {"03/05/2024  02:07 PM     1,234,567 commas.bin", 8, 1234567, kMar5},
        {"2024-03-05  14:07       <DIR>          iso", 4, 0, kMar5},
        // OS/2, OS-9, Nortel (WFFTP)
        {"           0           DIR   04-11-95   16:26  ADDRESS", 4, 0, "1995-04-11T16:26"},
        {"     1234      A          04-23-103   10:57  NEW.TXT", 8, 1234, "2003-04-23T10:57"},
        {"  1.12    99/12/31 2359  d-ewrewr      1C0        96 CMDS", 4, 96, "1999-12-31T23:59"},
        {"startup.cfg                  4423  02/12/03  Wed.    15:09:26 ", 8, 4423,
         "2003-02-12T15:09:26", "startup.cfg"},
        {"name 1234 03/15/2004 Mon. 12:00:00", 8, 1234, "2004-03-15T12:00", "name"},
        // VxWorks
        {"     293    MAR-05-2024  14:07:00   file.txt", 8, 293, kMar5},
        // VMS: versions kept; sizes in 512-byte blocks; columns in any order, dates alone.
        {"CONFIG.TXT;3          2/4       5-MAR-2024 14:07:00  [GROUP,OWNER]  (RWED,RWED,RE,)", 8,
         1024, kMar5, "CONFIG.TXT;3"},
        {"SUB.DIR;1             1         5-MAR-2024 14:07:00.12  [GROUP,OWNER]  (RWED,RWED,,)", 4,
         512, kMar5, "SUB.DIR;1"},
        {"SECRET.DAT;1  %RMS-E-PRV, insufficient privilege", 8, kNoSize, nullptr, "SECRET.DAT;1"},
        // AS/400
        {"QSYS            77824 02/23/00 15:09:55 *DIR       QOpenSys/", 4, 77824,
         "2000-02-23T15:09:55", "QOpenSys"},
        {"USER             1234 14/05/01 10:20:05 *STMF      dmy.txt", 8, 1234,
         "2001-05-14T10:20:05"},
        {"USER             1234 05/14/01 10:20:05 *STMF      mdy.txt", 8, 1234,
         "2001-05-14T10:20:05"},
        {"QSYS                                    *MEM       QGPL/QCLSRC.FILE/MEMBER.MBR", 8,
         kNoSize, nullptr},
        // MVS data sets and PDS members
        {"WYOSPT 3420   2003/03/24  1   15  FB      80  6160  PO  MY.PDS", 4, 0, nullptr},
        {"Migrated                                                SOME.DATA.SET", 8, kNoSize,
         nullptr},
        {"SYS001 3380E   04/07/15  1+++++  FB      80  6160  PO  USER.$WORK@1", 4, 0, nullptr},
        {"IEFBR14   000008   00000F          00 FO             RN RU            31    ANY", 8,
         kNoSize, nullptr, "IEFBR14"},
        // Tandem NonStop
        {"REPORT  101  4180 03-Mar-04 09:12:44 200,17 \"nunu\"", 8, 4180, "2004-03-03T09:12:44",
         "REPORT"},
        {"PROGA  100O  2048 5-Jul-97 14:41:53 SUPER.SUPER \"oooo\"", 8, 2048, "1997-07-05T14:41:53",
         "PROGA"},
        {"NOCODE  4180 03-Mar-04 09:12:44 200, 17 \"nunu\"", 8, 4180, "2004-03-03T09:12:44",
         "NOCODE"},
        // MVS PDS members
        {"MEMBER1   01.03 2002/08/12 2003/03/24 13:01    45    44     0 USERID", 8, kNoSize,
         "2003-03-24T13:01", "MEMBER1"},
        {"$MEMB@1   01.02 04/07/15 04/07/16 09:30    12    12     0 USER1", 8, kNoSize,
         "2004-07-16T09:30", "$MEMB@1"},
        // EPLF
        {"+i8388621.29609,m824255902,/,\tdev", 4, 0, "1996-02-13T23:58:22", "dev"},
        {"+i8388621.44468,m839956783,r,s10376,\tRFCEPLF", 8, 10376, "1996-08-13T17:19:43",
         "RFCEPLF"},
        {"+r,s0,up644,\t name with spaces ", 8, 0, nullptr, " name with spaces "},
        {"+m99999999999999999999,\tunknown", -1, kNoSize, nullptr, "unknown"},
        // MLSD facts
        {"type=file;size=123;modify=20240305140700;perm=r; name with; semi=colon", 8, 123, kMar5,
         "name with; semi=colon"},
        {"Type=DIR;Modify=20240305140700.250;UNIX.mode=0755; sub", 4, 0, kMar5},
        {"type=OS.unix=slink:/etc;modify=20240305140700; etc", 10, kNoSize, kMar5},
        {"type=OS.unix=chr-1/3; null", 2, kNoSize, nullptr},
        {"type=OS.MVS=pds;size=1; X", 0, 1, nullptr},
        {"size=99999999999999999999;modify=2024; odd facts", -1, kNoSize, nullptr, "odd facts"},
        {"type=file;  leading space", 8, kNoSize, nullptr, " leading space"},
        {"size=5;TYPE=File;modify=20240305140700 no last semicolon", 8, 5, kMar5,
         "no last semicolon"},
        // Sizes past int64 are unknown, never wrapped.
        {U + "9223372036854775807 Nov 05 14:07 max", 8, INT64_MAX, kNov5},
        {U + "9223372036854775808 Nov 05 14:07 max+1", 8, kNoSize, kNov5},
        {U + "000000000000000000000000000012 Nov 05 14:07 zeros", 8, 12, kNov5},
        {"03-05-24  02:07PM  99999999999999999999 dos", 8, kNoSize, kMar5},
        {"+r,s18446744073709551616,\teplf", 8, kNoSize, nullptr, "eplf"},
        {"HUGE.DAT;1  18014398509481984/1  5-MAR-2024 14:07", 8, kNoSize, kMar5, "HUGE.DAT;1"},
    };
    for (const Row& row : rows)
        expectEntry(row);
}

TEST(ListingParser, LinesThatNameNothingAreConsumedWithoutAnEntry)
{
    // "." and ".." (the folder and its parent) are left out, as most clients do.
    for (const char* line :
         {"", "\t \r", "total 123", "drwxr-xr-x 3 u g 4096 Dec  6 08:18 .",
          "drwxr-xr-x 5 u g 4096 Dec  6 08:18 ..", "03-05-24  02:07PM       <DIR>          .",
          "+/,\t..", "/pub/incoming:", "Total of 3 files, 4/10 blocks.", "value = 0 = 0x0",
          "   5 File(s)          1,234 bytes", "Directory USER1:[FOO]",
          "Volume Unit    Referred Ext Used Recfm Lrecl BlkSz Dsorg Dsname",
          "File  Code  EOF  Last Modification  Owner  RWEP",
          "Name     VV.MM   Created       Changed      Size  Init   Mod   Id",
          "type=cdir;modify=20240305140700; /pub", "TYPE=pdir;modify=20240305140700; .."})
        expectNothing(line);
    // Column headers, rules and summaries of host and device listings.
    for (const char* line :
         {" Name      Size     TTR   Alias-of AC  Attributes  Amode Rmode",
          "  size          date       time       name", "--------       ------     ------    ----",
          "  Owner    Last modified  Attributes Sector Bytecount Name",
          "File Name            Size    Date   Day       Time", " 6287999 bytes - Total size"})
        expectNothing(line);
    // Reported: a month no table knows (rather than an entry named "Xyz 05 14:07 f"), an hour
    // past 12 with PM, an EPLF line without its tab.
    for (const char* line :
         {"-rw-r--r--   1 user group 12 Nov 05 14:07", "-rw-r--r--   1 user group 12 Nov 05 14:07 ",
          "\xC3\xA9t\xC3\xA9 2024", "no listing line at all", "PK\x03\x04\x14",
          "-rw-r--r-- 1 u g 12 Xyz 05 14:07 f",
          "03-05-24  13:07PM       <DIR>          no such hour", "+i1.2,m824255902,/"})
        expectNothing(line, true);
}

TEST(ListingParser, AnUnfinishedLineIsWaitedForAndOneLineIsConsumedPerCall)
{
    const std::string first = "-rw-r--r-- 1 u g 7 Nov 05 14:07 first\r\n";
    const std::string both = first + "-rw-r--r-- 1 u g 7 Nov 05 14:07 second\r\n";
    for (size_t cut = 0; cut < first.size(); ++cut) {
        const Parsed p = parse(first.substr(0, cut));
        EXPECT_EQ(p.consumed, 0) << cut;
        EXPECT_FALSE(p.entry);
    }
    const Parsed p = parse(both);
    EXPECT_EQ(p.consumed, static_cast<int64_t>(first.size()));
    ASSERT_TRUE(p.entry);
    EXPECT_EQ(p.entry->rawName, "first");
    EXPECT_EQ(parse(both.substr(first.size())).entry->rawName, "second");
    // A VMS name alone: its columns on the next line belong to it, once that line is here.
    const std::string name = "VERYLONGFILENAMEINDEED.TXT;12\r\n";
    const std::string columns = "        2/4       5-MAR-2024 14:07:00  [G,O]  (R,R,,)\r\n";
    EXPECT_EQ(parse(name).consumed, 0);
    const Parsed vms = parse(name + columns);
    EXPECT_EQ(vms.consumed, static_cast<int64_t>(name.size() + columns.size()));
    ASSERT_TRUE(vms.entry);
    EXPECT_EQ(vms.entry->rawName, "VERYLONGFILENAMEINDEED.TXT;12");
    EXPECT_EQ(vms.entry->kCFFTPResourceSize, 1024);
    const Parsed alone = parse(name + "Total of 1 file.\r\n");
    EXPECT_EQ(alone.consumed, static_cast<int64_t>(name.size()));
    ASSERT_TRUE(alone.entry);
    EXPECT_FALSE(alone.entry->kCFFTPResourceSize);
    // Or a name with its size only: the date on the next line is still its own.
    const std::string sized = "VERYLONGFILENAMEINDEED.TXT;12   2/4\r\n";
    const Parsed dated = parse(sized + "    5-MAR-2024 14:07:00  [G,O]  (R,R,,)\r\n");
    EXPECT_GT(dated.consumed, static_cast<int64_t>(sized.size()));
    ASSERT_TRUE(dated.entry && dated.entry->kCFFTPResourceModDate);
    EXPECT_EQ(dated.entry->kCFFTPResourceModDate->toString(Qt::ISODate), "2024-03-05T14:07:00Z");
    // No place for an entry, or a negative length: the answer alone.
    EXPECT_EQ(
        CFFTPCreateParsedResourceListing(both.data(), static_cast<int64_t>(both.size()), nullptr),
        static_cast<int64_t>(first.size()));
    std::optional<ListingEntry> stale = ListingEntry{};
    EXPECT_EQ(CFFTPCreateParsedResourceListing(both.data(), -5, &stale), 0);
    EXPECT_FALSE(stale);
}

TEST(ListingParser, YearlessDatesTakeTheYearThatKeepsThemWithinSixMonthsAhead)
{
    const auto at = [](int y, int m, int d) {
        return QDateTime(QDate(y, m, d), QTime(0, 0), Qt::UTC);
    };
    const struct
    {
        QDateTime now;
        const char* date;
        const char* expected;
    } cases[] = {
        {at(2025, 1, 2), "Dec 31 23:59", "2024-12-31T23:59"},
        {at(2024, 12, 31), "Jan 01 00:01", "2025-01-01T00:01"},
        {at(2024, 6, 15), "Dec 14 23:59", "2024-12-14T23:59"}, // 182 days ahead
        {at(2024, 6, 15), "Dec 16 00:00", "2023-12-16"},       // 184 days ahead
        {at(2025, 3, 1), "Feb 29 12:00", "2024-02-29T12:00"},
        {at(2027, 1, 10), "Feb 29 12:00", "2024-02-29T12:00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.now.toString(Qt::ISODate).toStdString());
        expectEntry({std::string("-rw-r--r-- 1 u g 1 ") + c.date + " f", 8, 1, c.expected}, c.now);
    }
    // Without "now", the clock's: yesterday's date lands on yesterday.
    const QDateTime yesterday = QDateTime::currentDateTimeUtc().addDays(-1);
    const std::string line = "-rw-r--r-- 1 u g 1 " +
                             QLocale::c().toString(yesterday, "MMM dd HH:mm").toStdString() +
                             " f\n";
    std::optional<ListingEntry> entry;
    ASSERT_GT(
        CFFTPCreateParsedResourceListing(line.data(), static_cast<int64_t>(line.size()), &entry),
        0);
    ASSERT_TRUE(entry && entry->kCFFTPResourceModDate);
    EXPECT_EQ(entry->kCFFTPResourceModDate->date(), yesterday.date());
}

TEST(ListingParser, OverlongLinesAreSkippedAndNulBytesKeptInTheName)
{
    const std::string unix = "-rw-r--r-- 1 u g 1 Nov 05 14:07 ";
    const std::string longest = unix + std::string(64 * 1024 - unix.size(), 'n');
    EXPECT_EQ(parse(longest + "\n").consumed, static_cast<int64_t>(longest.size() + 1));
    EXPECT_EQ(parse(longest).consumed, 0); // may still end
    // Too long: skipped through its end, or as far as it has come.
    EXPECT_EQ(parse(longest + "n").consumed, -static_cast<int64_t>(longest.size() + 1));
    EXPECT_EQ(parse(longest + "n\nnext").consumed, -static_cast<int64_t>(longest.size() + 2));
    EXPECT_EQ(parse(std::string(1 << 20, ' ')).consumed, -(1 << 20));

    const Parsed nul = parse(std::string("-rw-r--r-- 1 u g 1 Nov 05 14:07 a\0b\n", 36));
    EXPECT_EQ(nul.consumed, 36);
    ASSERT_TRUE(nul.entry);
    EXPECT_EQ(nul.entry->rawName, QByteArray("a\0b", 3));
    EXPECT_EQ(parse(std::string("\0\n", 2)).consumed, -2);
}

TEST(ListingParser, NameBytesAreKeptExactlyAndShownAsUtf8OrLatin1)
{
    const std::string latin1 = "caf\xE9 \xFF\x80";
    const Parsed p = parse("-rw-r--r-- 1 u g 1 Nov 05 14:07 " + latin1 + "\r\n");
    ASSERT_TRUE(p.entry);
    EXPECT_EQ(p.entry->rawName, QByteArray::fromStdString(latin1));
    EXPECT_EQ(p.entry->kCFFTPResourceName->size(), static_cast<qsizetype>(latin1.size()));
    EXPECT_EQ(p.entry->kCFFTPResourceName->toLatin1(), p.entry->rawName);
    EXPECT_EQ(decodeListingName(p.entry->rawName),
              QString::fromLatin1(latin1.data(), latin1.size()));

    EXPECT_EQ(decodeListingName("caf\xC3\xA9-\xD1\x84"), QString::fromUtf8("caf\xC3\xA9-\xD1\x84"));
    EXPECT_EQ(decodeListingName("\xEF\xBB\xBFx"), QChar(0xFEFF) + QString("x")); // BOM kept
    // What is told to be UTF-8 is the shown name's UTF-8 exactly (the caller then keeps no
    // copy of the bytes), a byte-order mark included.
    for (const QByteArray& raw :
         {QByteArray("caf\xC3\xA9-\xD1\x84"), QByteArray("\xEF\xBB\xBFx")}) {
        bool isUtf8 = false;
        EXPECT_EQ(decodeListingName(raw, &isUtf8).toUtf8(), raw);
        EXPECT_TRUE(isUtf8);
    }
    // Cut, overlong and surrogate sequences are no UTF-8: one character per byte then.
    for (const char* raw : {"caf\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80"}) {
        bool isUtf8 = true;
        EXPECT_EQ(decodeListingName(raw, &isUtf8), QString::fromLatin1(raw)) << raw;
        EXPECT_FALSE(isUtf8) << raw;
    }
    EXPECT_EQ(decodeListingName(QByteArray()), QString());
}

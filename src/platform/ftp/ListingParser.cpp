#include "ListingParser.h"

#include <algorithm>
#include <cstring>

#include <QStringDecoder>

#include "ListingParserPrivate.h"

using namespace listingparser;

namespace {

// The longest line read, without its line end. A longer one is no listing line; it is skipped
// (in parts while its end has not come) so that an endless line cannot fill the caller's buffer.
constexpr int64_t kMaxLineLength = 64 * 1024;

bool isBlankLine(std::string_view line)
{
    for (const char c : line) {
        if (!isBlank(c) && c != '\r')
            return false;
    }
    return true;
}

// Lines that servers print around the entries and that name none: totals, headers of folders
// and of columns, a shell's answer. Only asked about lines that no reader took.
bool isHeaderOrSummary(std::string_view line)
{
    Tokens tokens(line);
    const std::string_view first = tokens.next();
    const std::string_view second = tokens.next();
    // "total 12", "Total of 3 files, 4/10 blocks.", "Grand total of 2 directories, 9 files."
    if (equalsNoCase(first, "total") || equalsNoCase(first, "grand"))
        return true;
    // VMS "Directory DISK$USER:[ME]", DOS " Directory of C:\FTP", " Volume in drive C is X".
    if (equalsNoCase(first, "directory") || equalsNoCase(first, "volume"))
        return true;
    // MVS member and Tandem column headers; VxWorks' shell answer "value = 0 = 0x0".
    if ((equalsNoCase(first, "name") && startsWithNoCase(second, "vv.mm")) ||
        (equalsNoCase(first, "file") && equalsNoCase(second, "code")) ||
        (equalsNoCase(first, "value") && second == "="))
        return true;
    // Column headers: MVS load modules "Name Size TTR ...", VxWorks "size date time name",
    // Nortel's "File Name Size Date Day Time", OS-9's "Owner Last modified ...".
    if ((equalsNoCase(first, "name") && equalsNoCase(second, "size")) ||
        (equalsNoCase(first, "size") && equalsNoCase(second, "date")) ||
        (equalsNoCase(first, "file") && equalsNoCase(second, "name")) ||
        (equalsNoCase(first, "owner") && equalsNoCase(second, "last")))
        return true;
    // DOS "   5 File(s)   1,234 bytes" and "   2 Dir(s)  9,876 bytes free".
    if (startsWithNoCase(second, "file(s)") || startsWithNoCase(second, "dir(s)"))
        return true;
    // Nortel's "6287999 bytes - Total size" and "2133000 bytes - Available free space".
    if (allDigits(first) && equalsNoCase(second, "bytes") && tokens.next() == "-")
        return true;
    // "ls -R" folder headers: "/pub/incoming:" or "sub:".
    return line.back() == ':' && line.find(' ') == std::string_view::npos;
}

// Tries the readers from the most common format on. Each one checks a shape of its own (a mode
// column, a date first, a facts list, a version suffix...), narrow enough that the others'
// lines do not fit it.
Verdict readLine(std::string_view line, const Clock& clock, Fields& fields)
{
    // EPLF lines and only they begin with "+".
    if (line.front() == '+')
        return readEplf(line, fields);
    // A rule under column headers, dashes and blanks only, before a mode of dashes takes it.
    if (line.front() == '-' && line.find_first_not_of("- \t") == std::string_view::npos)
        return Verdict::Nothing;
    // A reader that gives up may have filled some fields: each one starts afresh.
    fields = Fields();
    if (const Verdict v = readUnix(line, clock, fields); v != Verdict::NotMine)
        return v;
    for (const auto reader : {readMlsd, readDos, readOs2, readVxWorks, readVms, readAs400,
                              readTandem, readWfftp, readOs9, readMvs}) {
        fields = Fields();
        if (const Verdict v = reader(line, fields); v != Verdict::NotMine)
            return v;
    }
    return Verdict::NotMine;
}

void makeEntry(const Fields& fields, std::optional<ListingEntry>* entry)
{
    if (!entry)
        return;
    ListingEntry& e = entry->emplace();
    e.rawName = QByteArray(fields.name.data(), static_cast<qsizetype>(fields.name.size()));
    // One character per byte, so that the caller gets the bytes back (see decodeListingName).
    e.kCFFTPResourceName = QString::fromLatin1(e.rawName);
    e.kCFFTPResourceType = fields.type;
    e.kCFFTPResourceSize = fields.size;
    // The browser takes an entry for a folder when it has a size and is no regular file
    // (MiscTool::getFileSize answers "-"). A folder listed without a size (DOS "<DIR>", MLSD or
    // EPLF without a size fact, host listings) gets 0, so that it still opens as a folder.
    if (!fields.size && fields.type == kEntryTypeDirectory)
        e.kCFFTPResourceSize = 0;
    if (fields.msecs) {
        // Set on a copy of a UTC time: half the work of making one from scratch.
        static const QDateTime kUtc = QDateTime::fromMSecsSinceEpoch(0, Qt::UTC);
        e.kCFFTPResourceModDate.emplace(kUtc).setMSecsSinceEpoch(*fields.msecs);
    }
}

int64_t parseListing(const char* buffer, int64_t length, std::optional<ListingEntry>* entry,
                     const QDateTime* now)
{
    if (entry)
        entry->reset();
    if (length <= 0 || !buffer)
        return 0;

    // One line, LF-terminated (RFC 959 says CRLF; some servers send a bare LF).
    const int64_t searched = std::min(length, kMaxLineLength + 1);
    const auto* lf =
        static_cast<const char*>(std::memchr(buffer, '\n', static_cast<size_t>(searched)));
    if (!lf) {
        if (length <= kMaxLineLength)
            return 0;
        // Too long: skip it through its end, or all of it that is here.
        lf = static_cast<const char*>(
            std::memchr(buffer + searched, '\n', static_cast<size_t>(length - searched)));
        return lf ? -(lf - buffer + 1) : -length;
    }
    int64_t consumed = lf - buffer + 1;

    std::string_view line(buffer, static_cast<size_t>(consumed - 1));
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    if (isBlankLine(line))
        return consumed;

    const Clock clock(now);
    Fields fields;
    switch (readLine(line, clock, fields)) {
    case Verdict::Entry:
        if (fields.continued) {
            // A name without its date: the rest of its columns may follow on the next line,
            // which is then part of this entry. Wait until that line is here too.
            const char* next = lf + 1;
            const int64_t rest = length - consumed;
            const auto* nextLf = static_cast<const char*>(
                std::memchr(next, '\n', static_cast<size_t>(std::min(rest, kMaxLineLength + 1))));
            if (!nextLf && rest <= kMaxLineLength)
                return 0;
            std::string_view nextLine(next, nextLf ? static_cast<size_t>(nextLf - next) : 0);
            if (!nextLine.empty() && nextLine.back() == '\r')
                nextLine.remove_suffix(1);
            if (nextLf && readVmsContinuation(nextLine, fields))
                consumed = nextLf - buffer + 1;
        }
        // "." and ".." name the folder itself and its parent, which the browser reaches by its
        // own navigation; like most clients, the listing leaves them out.
        if (fields.name.empty())
            return -consumed;
        if (fields.name != "." && fields.name != "..")
            makeEntry(fields, entry);
        return consumed;
    case Verdict::Nothing:
        return consumed;
    case Verdict::Broken:
        return -consumed;
    case Verdict::NotMine:
        return isHeaderOrSummary(line) ? consumed : -consumed;
    }
    return -consumed;
}

} // namespace

int64_t CFFTPCreateParsedResourceListing(const char* buffer, int64_t length,
                                         std::optional<ListingEntry>* entry)
{
    return parseListing(buffer, length, entry, nullptr);
}

int64_t CFFTPCreateParsedResourceListing(const char* buffer, int64_t length,
                                         std::optional<ListingEntry>* entry, const QDateTime& now)
{
    return parseListing(buffer, length, entry, &now);
}

QString decodeListingName(const QByteArray& raw, bool* isUtf8)
{
    // Strict UTF-8 (no overlong forms, no surrogates, no cut-off sequence at the end); a
    // leading byte-order mark is part of the name.
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless |
                                                    QStringConverter::Flag::ConvertInitialBom);
    QString name = utf8(raw);
    if (isUtf8)
        *isUtf8 = !utf8.hasError();
    return utf8.hasError() ? QString::fromLatin1(raw) : name;
}

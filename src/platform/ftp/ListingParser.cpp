#include "ListingParser.h"

#include <algorithm>
#include <cstring>

#include <QStringDecoder>

#include "ListingParserPrivate.h"

using namespace listingparser;

namespace {

// The longest line accepted, without its line end. A longer one (or that many bytes without a
// line end) is no listing line: answering "cannot be parsed" keeps the caller from buffering an
// endless line.
constexpr int64_t kMaxLineLength = 64 * 1024;

bool isBlankLine(std::string_view line)
{
    for (const char c : line) {
        if (!isBlank(c) && c != '\r')
            return false;
    }
    return true;
}

// Control bytes (other than tab) in a line that no reader knows mean the bytes are not a text
// listing at all, rather than a line of some format not known here.
bool looksBinary(std::string_view line)
{
    for (const char c : line) {
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t')
            return true;
    }
    return false;
}

// Tries the readers from the most common format on. Each one checks a shape of its own (a mode
// column, a date first, a facts list, a version suffix...), narrow enough that the others'
// lines do not fit it.
Verdict readLine(std::string_view line, const Clock& clock, Fields& fields)
{
    // EPLF lines and only they begin with "+".
    if (line.front() == '+')
        return readEplf(line, fields);
    // A reader that gives up may have filled some fields: each one starts afresh.
    for (const auto reader : {readUnix, readNetWare}) {
        fields = Fields();
        if (const Verdict v = reader(line, clock, fields); v != Verdict::NotMine)
            return v;
    }
    for (const auto reader :
         {readMlsd, readDos, readOs2, readVxWorks, readVms, readAs400, readMvs}) {
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
    if (fields.msecs)
        e.kCFFTPResourceModDate = QDateTime::fromMSecsSinceEpoch(*fields.msecs, Qt::UTC);
}

int64_t parseListing(const char* buffer, int64_t length, std::optional<ListingEntry>* entry,
                     const QDateTime* now)
{
    if (entry)
        entry->reset();
    if (length <= 0)
        return 0;
    if (!buffer)
        return -1;

    // One line, LF-terminated (RFC 959 says CRLF; some servers send a bare LF).
    const int64_t searched = std::min(length, kMaxLineLength + 1);
    const auto* lf =
        static_cast<const char*>(std::memchr(buffer, '\n', static_cast<size_t>(searched)));
    if (!lf)
        return length > kMaxLineLength ? -1 : 0;
    const int64_t consumed = lf - buffer + 1;

    std::string_view line(buffer, static_cast<size_t>(consumed - 1));
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    // A NUL never belongs in a listing, nor in any name a server could be asked for.
    if (std::memchr(line.data(), '\0', line.size()))
        return -1;
    if (isBlankLine(line))
        return consumed;

    const Clock clock(now);
    Fields fields;
    switch (readLine(line, clock, fields)) {
    case Verdict::Entry:
        // "." and ".." name the folder itself and its parent, which the browser reaches by its
        // own navigation; like most clients, the listing leaves them out. An empty name
        // addresses nothing.
        if (!fields.name.empty() && fields.name != "." && fields.name != "..")
            makeEntry(fields, entry);
        return consumed;
    case Verdict::Nothing:
        return consumed;
    case Verdict::NotMine:
        // A line of text that no reader knows (a banner, "total 12", a format not known here)
        // is passed over so that the rest of the listing still shows.
        return looksBinary(line) ? -1 : consumed;
    }
    return consumed;
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

QString decodeListingName(const QByteArray& raw)
{
    // Strict UTF-8 (no overlong forms, no surrogates, no cut-off sequence at the end); a
    // leading byte-order mark is part of the name.
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless |
                                                    QStringConverter::Flag::ConvertInitialBom);
    QString name = utf8(raw);
    return utf8.hasError() ? QString::fromLatin1(raw) : name;
}

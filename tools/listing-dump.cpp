// listing-dump: runs the app's listing parser over the raw listing bytes on standard input and
// prints what it makes of each line, one line per parser call:
//   OFFSET<TAB>CONSUMED<TAB>entry<TAB>NAME<TAB>TYPE<TAB>SIZE<TAB>DATE
//   OFFSET<TAB>CONSUMED<TAB>skip
//   OFFSET<TAB>CONSUMED<TAB>error
// NAME is the shown name with "\", tab, CR and LF escaped; SIZE and DATE (UTC) are "-" when the
// line gives none. "error" is a line the parser could not read: CONSUMED is then minus the bytes
// it skipped, and the dump goes on after them as the browser does. Bytes after the last line end
// print nothing.
//
//   listing-dump [--now YYYY-MM-DDTHH:MM:SS] < listing.txt
// --now fixes the "now" that dates without a year are resolved against (default: the clock).

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/ftp/ListingParser.h"

namespace {

std::vector<char> readAll(FILE* in)
{
    std::vector<char> bytes;
    char chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, in)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + n);
    return bytes;
}

void appendEscaped(std::string& out, const QString& name)
{
    for (const char c : name.toStdString()) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        default:
            out += c;
        }
    }
}

void appendEntry(std::string& out, const ListingEntry& e)
{
    out += "entry\t";
    appendEscaped(out, decodeListingName(e.rawName));
    out += '\t';
    out += e.kCFFTPResourceType ? std::to_string(*e.kCFFTPResourceType) : "-";
    out += '\t';
    out += e.kCFFTPResourceSize ? std::to_string(*e.kCFFTPResourceSize) : "-";
    out += '\t';
    out += e.kCFFTPResourceModDate ? e.kCFFTPResourceModDate->toUTC()
                                         .toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"))
                                         .toStdString()
                                   : "-";
}

int usage()
{
    std::fputs("usage: listing-dump [--now YYYY-MM-DDTHH:MM:SS] < listing\n", stderr);
    return 2;
}

} // namespace

int main(int argc, char* argv[])
{
    std::optional<QDateTime> now;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--now") == 0 && i + 1 < argc) {
            now = QDateTime::fromString(QString::fromLatin1(argv[++i]), Qt::ISODate);
            now->setTimeSpec(Qt::UTC);
            if (!now->isValid())
                return usage();
        } else {
            return usage();
        }
    }

    const std::vector<char> bytes = readAll(stdin);
    const auto length = static_cast<int64_t>(bytes.size());
    std::string out;
    int64_t offset = 0;
    while (offset < length) {
        std::optional<ListingEntry> entry;
        const char* at = bytes.data() + offset;
        const int64_t rest = length - offset;
        const int64_t consumed = now ? CFFTPCreateParsedResourceListing(at, rest, &entry, *now)
                                     : CFFTPCreateParsedResourceListing(at, rest, &entry);
        if (consumed == 0)
            break;
        out += std::to_string(offset) + '\t' + std::to_string(consumed) + '\t';
        if (consumed < 0) {
            out += "error\n";
            offset -= consumed;
        } else {
            if (entry)
                appendEntry(out, *entry);
            else
                out += "skip";
            out += '\n';
            offset += consumed;
        }
        if (out.size() > 65536) {
            std::fwrite(out.data(), 1, out.size(), stdout);
            out.clear();
        }
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

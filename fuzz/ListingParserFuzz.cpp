// libFuzzer target for the listing parser. Feeds the input the way the browser does (one call
// per line, advancing by the bytes consumed or skipped) and checks what every answer promises:
// never more than is there, one whole line (or all of an overlong one that is here, or a VMS
// name's line with the next one), an entry only with a line that was read, nothing read past
// the line (the line alone, in a buffer of its own size, gives the same answer) and an
// unfinished line waited for. A broken promise stops the run like a sanitizer report does.

#include <cstdint>
#include <cstring>
#include <memory>

#include "platform/Assert.h"
#include "platform/ftp/ListingParser.h"

namespace {

constexpr int64_t kMaxLine = 64 * 1024;

bool sameEntry(const std::optional<ListingEntry>& a, const std::optional<ListingEntry>& b)
{
    if (!a || !b)
        return !a && !b;
    return a->rawName == b->rawName && a->kCFFTPResourceName == b->kCFFTPResourceName &&
           a->kCFFTPResourceType == b->kCFFTPResourceType &&
           a->kCFFTPResourceSize == b->kCFFTPResourceSize &&
           a->kCFFTPResourceModDate == b->kCFFTPResourceModDate;
}

void checkEntry(const ListingEntry& e, int64_t consumed)
{
    TANDREL_ASSERT(!e.rawName.isEmpty() && e.rawName.size() < consumed);
    TANDREL_ASSERT(e.rawName != "." && e.rawName != "..");
    TANDREL_ASSERT(!e.rawName.contains('\n'));
    TANDREL_ASSERT(e.kCFFTPResourceName && e.kCFFTPResourceName->toLatin1() == e.rawName);
    TANDREL_ASSERT(!e.kCFFTPResourceSize || *e.kCFFTPResourceSize >= 0);
    TANDREL_ASSERT(!e.kCFFTPResourceModDate || (e.kCFFTPResourceModDate->isValid() &&
                                                e.kCFFTPResourceModDate->timeSpec() == Qt::UTC));
    TANDREL_ASSERT(!decodeListingName(e.rawName).isEmpty());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Fixed, and just after New Year, so that year-less dates land on both sides of it.
    static const QDateTime now(QDate(2025, 1, 2), QTime(0, 0), Qt::UTC);
    const auto* bytes = reinterpret_cast<const char*>(data);
    const auto length = static_cast<int64_t>(size);
    int64_t offset = 0;
    while (offset < length) {
        const char* at = bytes + offset;
        const int64_t rest = length - offset;
        std::optional<ListingEntry> entry = ListingEntry{}; // a stale entry must be cleared
        const int64_t consumed = CFFTPCreateParsedResourceListing(at, rest, &entry, now);
        TANDREL_ASSERT(consumed <= rest);
        TANDREL_ASSERT(consumed > 0 || !entry);
        const auto* lf = static_cast<const char*>(std::memchr(at, '\n', static_cast<size_t>(rest)));
        if (consumed == 0) {
            // No line yet, or a VMS name alone waiting for the line after it.
            const auto* second =
                lf ? static_cast<const char*>(std::memchr(lf + 1, '\n', at + rest - lf - 1))
                   : nullptr;
            TANDREL_ASSERT(!second && rest - (lf ? lf - at + 1 : 0) <= kMaxLine);
            break;
        }
        const int64_t skipped = consumed < 0 ? -consumed : consumed;
        TANDREL_ASSERT(skipped <= rest);
        if (!lf || lf - at + 1 > skipped) {
            // Only the part of an overlong line that has come may be skipped without its end.
            TANDREL_ASSERT(consumed < 0 && skipped == rest && rest > kMaxLine);
            break;
        }
        // One line, or a VMS name's line and the next one with its columns.
        TANDREL_ASSERT(at[skipped - 1] == '\n');
        const auto* second = static_cast<const char*>(
            std::memchr(lf + 1, '\n', static_cast<size_t>(at + skipped - lf - 1)));
        TANDREL_ASSERT(lf - at + 1 == skipped || (consumed > 0 && second == at + skipped - 1));
        if (entry)
            checkEntry(*entry, consumed);

        // A VMS name alone looks at the line after it: that one is then part of what it reads.
        int64_t seen = skipped;
        if (entry && entry->rawName.contains(';') && seen < rest) {
            const auto* next = static_cast<const char*>(
                std::memchr(at + seen, '\n', static_cast<size_t>(rest - seen)));
            seen = next ? next - at + 1 : rest;
        }
        auto line = std::make_unique<char[]>(static_cast<size_t>(seen));
        std::memcpy(line.get(), at, static_cast<size_t>(seen));
        std::optional<ListingEntry> alone;
        TANDREL_ASSERT(CFFTPCreateParsedResourceListing(line.get(), seen, &alone, now) == consumed);
        TANDREL_ASSERT(sameEntry(alone, entry));
        const int64_t cut = CFFTPCreateParsedResourceListing(line.get(), skipped - 1, &alone, now);
        TANDREL_ASSERT(cut == 0 || (skipped - 1 > kMaxLine && cut == 1 - skipped));
        TANDREL_ASSERT(!alone);
        offset += skipped;
    }
    return 0;
}

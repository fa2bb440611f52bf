// Listing parser throughput: parses a synthetic 100,000-entry Unix listing the way the browser
// does (line by line, advancing by the bytes consumed) for several rounds and prints the best
// and the median round in MB/s and entries/s.
//
//   listing_parser_bench [rounds]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/ftp/ListingParser.h"

namespace {

constexpr int kEntries = 100'000;

// A listing like vsftpd's and ProFTPD's: files, folders and links, recent and old dates, sizes
// up to several GiB, names with spaces and UTF-8 bytes.
std::string makeListing()
{
    static const char* const kModes[] = {"-rw-r--r--", "drwxr-xr-x", "lrwxrwxrwx", "-rwxr-xr-x"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::string listing;
    listing.reserve(kEntries * 72);
    uint64_t seed = 0x9E3779B97F4A7C15ULL;
    char line[256];
    for (int i = 0; i < kEntries; ++i) {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        const unsigned r = static_cast<unsigned>(seed >> 33);
        const int kind = static_cast<int>(r % 4);
        const unsigned long long size = (r % 7 == 0) ? 5368709120ULL + r : r % 1'000'000;
        const char* month = kMonths[(r >> 4) % 12];
        const unsigned day = 1 + (r >> 8) % 28;
        char date[16];
        if (r % 3 == 0)
            std::snprintf(date, sizeof date, " %4u", 2000 + (r >> 12) % 24);
        else
            std::snprintf(date, sizeof date, "%02u:%02u", (r >> 12) % 24, (r >> 17) % 60);
        const char* name = (r % 5 == 0) ? "file with space" : (r % 5 == 1) ? "caf\xC3\xA9" : "data";
        const int n =
            std::snprintf(line, sizeof line, "%s    1 %-8s %-8s %12llu %s %2u %s %s-%d%s\r\n",
                          kModes[kind], "ftpuser", "ftpgroup", size, month, day, date, name, i,
                          kind == 2 ? " -> target.txt" : "");
        listing.append(line, static_cast<size_t>(n));
    }
    return listing;
}

} // namespace

int main(int argc, char* argv[])
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    const std::string listing = makeListing();
    const auto length = static_cast<int64_t>(listing.size());

    std::vector<double> seconds;
    int64_t entries = 0;
    for (int round = 0; round < rounds; ++round) {
        entries = 0;
        const auto start = std::chrono::steady_clock::now();
        int64_t offset = 0;
        while (offset < length) {
            std::optional<ListingEntry> entry;
            const int64_t consumed =
                CFFTPCreateParsedResourceListing(listing.data() + offset, length - offset, &entry);
            if (consumed <= 0) {
                std::fprintf(stderr, "parser stopped at offset %lld (%lld)\n",
                             static_cast<long long>(offset), static_cast<long long>(consumed));
                return 1;
            }
            entries += entry ? 1 : 0;
            offset += consumed;
        }
        seconds.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(seconds.begin(), seconds.end());
    const double best = seconds.front();
    const double median = seconds[seconds.size() / 2];
    const double mb = static_cast<double>(length) / 1e6;
    std::printf("listing: %d lines, %.2f MB, %lld entries per round, %d rounds\n", kEntries, mb,
                static_cast<long long>(entries), rounds);
    std::printf("best:   %8.1f MB/s  %10.0f entries/s  (%.2f ms)\n", mb / best,
                static_cast<double>(entries) / best, best * 1e3);
    std::printf("median: %8.1f MB/s  %10.0f entries/s  (%.2f ms)\n", mb / median,
                static_cast<double>(entries) / median, median * 1e3);
    return entries == kEntries ? 0 : 1;
}

#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

#include <QtGlobal>

// A fixed-capacity byte queue between libcurl and a stream's owner: bytes go in at the back
// and come out at the front. The unread bytes move to the front only when an append would not
// fit behind them, so a steady stream of reads and appends costs one copy in and one out.
class StreamBuffer final
{
public:
    explicit StreamBuffer(int64_t capacity)
        : bytes(std::make_unique_for_overwrite<char[]>(capacity))
        , capacity(capacity)
    {}

    int64_t size() const { return end - begin; }
    int64_t space() const { return capacity - size(); }
    bool isEmpty() const { return end == begin; }

    // Appends as many of the bytes as fit; answers how many did.
    int64_t append(const char* data, int64_t length)
    {
        const int64_t n = std::min(length, space());
        if (n <= 0)
            return 0;
        if (end + n > capacity) {
            std::memmove(bytes.get(), bytes.get() + begin, size());
            end -= begin;
            begin = 0;
        }
        std::memcpy(bytes.get() + end, data, n);
        end += n;
        return n;
    }

    // Moves up to maxLength bytes out; answers how many.
    int64_t take(char* out, int64_t maxLength)
    {
        const int64_t n = std::min(maxLength, size());
        if (n <= 0)
            return 0;
        std::memcpy(out, bytes.get() + begin, n);
        begin += n;
        if (begin == end)
            begin = end = 0;
        return n;
    }

    Q_DISABLE_COPY_MOVE(StreamBuffer)

private:
    std::unique_ptr<char[]> bytes;
    int64_t capacity;
    int64_t begin = 0;
    int64_t end = 0;
};

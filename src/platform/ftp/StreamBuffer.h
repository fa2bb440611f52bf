#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

#include <QtGlobal>

// A fixed-capacity byte queue between libcurl and a stream's owner: bytes go in at the back
// and come out at the front. The bytes wrap around the end of the storage, so that each byte
// is copied once in and once out, never moved inside the queue.
class StreamBuffer final
{
public:
    explicit StreamBuffer(int64_t capacity)
        : bytes(std::make_unique_for_overwrite<char[]>(capacity))
        , capacity(capacity)
    {}

    int64_t size() const { return count; }
    int64_t space() const { return capacity - count; }
    bool isEmpty() const { return count == 0; }

    // Appends as many of the bytes as fit; answers how many did.
    int64_t append(const char* data, int64_t length)
    {
        const int64_t n = std::min(length, space());
        if (n <= 0)
            return 0;
        const int64_t back = (begin + count) % capacity;
        const int64_t first = std::min(n, capacity - back);
        std::memcpy(bytes.get() + back, data, first);
        std::memcpy(bytes.get(), data + first, n - first);
        count += n;
        return n;
    }

    // Moves up to maxLength bytes out; answers how many.
    int64_t take(char* out, int64_t maxLength)
    {
        const int64_t n = std::min(maxLength, count);
        if (n <= 0)
            return 0;
        const int64_t first = std::min(n, capacity - begin);
        std::memcpy(out, bytes.get() + begin, first);
        std::memcpy(out + first, bytes.get(), n - first);
        begin = (begin + n) % capacity;
        count -= n;
        // An empty queue starts again at the front: whole chunks then stay in one piece.
        if (count == 0)
            begin = 0;
        return n;
    }

    Q_DISABLE_COPY_MOVE(StreamBuffer)

private:
    std::unique_ptr<char[]> bytes;
    int64_t capacity;
    int64_t begin = 0; // the first unread byte
    int64_t count = 0; // unread bytes from begin, wrapping at capacity
};

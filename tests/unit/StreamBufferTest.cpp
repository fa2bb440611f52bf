#include "platform/ftp/StreamBuffer.h"

#include <string>

#include <gtest/gtest.h>

// Bytes come out in the order they went in, across the end of the storage, and an append takes
// only what fits.
TEST(StreamBuffer, KeepsOrderAcrossTheEndAndTakesOnlyWhatFits)
{
    StreamBuffer buffer(8);
    char out[16] = {};
    EXPECT_EQ(buffer.append("abcdef", 6), 6);
    EXPECT_EQ(buffer.take(out, 4), 4);
    EXPECT_EQ(std::string(out, 4), "abcd");
    // "ef" sit at the back: the next bytes wrap around to the front.
    EXPECT_EQ(buffer.append("ghijklmnop", 10), 6);
    EXPECT_EQ(buffer.space(), 0);
    EXPECT_EQ(buffer.append("x", 1), 0);
    EXPECT_EQ(buffer.take(out, 16), 8);
    EXPECT_EQ(std::string(out, 8), "efghijkl");
    EXPECT_TRUE(buffer.isEmpty());
    EXPECT_EQ(buffer.take(out, 16), 0);
    EXPECT_EQ(buffer.append("12345678", 8), 8);
    EXPECT_EQ(buffer.take(out, 8), 8);
    EXPECT_EQ(std::string(out, 8), "12345678");
}

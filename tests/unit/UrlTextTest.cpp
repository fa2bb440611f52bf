#include "platform/UrlText.h"

#include <gtest/gtest.h>

TEST(UrlText, EscapesExactlyTheCharactersThatMayNotStandInAUrlAndDecodesStrictly)
{
    const std::pair<const char*, const char*> escaped[] = {
        {"azAZ09-_.!~*'()", "azAZ09-_.!~*'()"},
        {";/?:@&=+$,", ";/?:@&=+$,"},
        {"a b%c#d", "a%20b%25c%23d"},
        {"é", "%C3%A9"},
        {"\"<>\\^`{|}[]", "%22%3C%3E%5C%5E%60%7B%7C%7D%5B%5D"},
        {"\r\n\x01\x1b[31m\x7f", "%0D%0A%01%1B%5B31m%7F"},
    };
    for (const auto& [text, escapedText] : escaped)
        EXPECT_EQ(UrlText::addPercentEscapes(QString::fromUtf8(text)), escapedText) << text;

    EXPECT_EQ(UrlText::removePercentEncoding(QStringLiteral("a%20b")), QStringLiteral("a b"));
    EXPECT_EQ(UrlText::removePercentEncoding(QStringLiteral("%C3%A9")), QStringLiteral("é"));
    EXPECT_EQ(UrlText::removePercentEncoding(QStringLiteral("%2541")), QStringLiteral("%41"));
    // Bad escapes or bad UTF-8: no text.
    for (const char* bad : {"%", "%zz", "%C3", "%FF%FE"})
        EXPECT_FALSE(UrlText::removePercentEncoding(QString::fromLatin1(bad))) << bad;
    const QString huge(1 << 20, QLatin1Char('%'));
    EXPECT_FALSE(UrlText::removePercentEncoding(huge));
    EXPECT_FALSE(UrlText::urlWithString(huge));
    EXPECT_EQ(UrlText::addPercentEscapes(huge).size(), 3 * huge.size());
}

TEST(UrlText, StrictParserRefusesWhatIsNotAWellFormedUrl)
{
    const auto url = UrlText::urlWithString(QStringLiteral("ftp://h:21/a%20b/"));
    ASSERT_TRUE(url);
    EXPECT_EQ(url->host(), "h");
    EXPECT_EQ(url->port(), 21);
    EXPECT_TRUE(UrlText::urlWithString(QStringLiteral("ftp://u:p@h:21/x")));
    EXPECT_TRUE(UrlText::urlWithString(QStringLiteral("ftp://h:/")));
    for (const char* bad :
         {"", "ftp://h:21/a b/", "ftp://h:21/é/", "ftp://h:21/%", "ftp://h:21/%4g",
          "ftp://h:21/a\tb", "ftp://h:21/a\nb", "ftp://h:21/<x>", "ftp://h:x/"})
        EXPECT_FALSE(UrlText::urlWithString(QString::fromUtf8(bad))) << bad;
}

#include "platform/UrlText.h"

#include <gtest/gtest.h>

TEST(UrlText, EscapesExactlyTheCharactersThatMayNotStandInAUrl)
{
    EXPECT_EQ(UrlText::addPercentEscapes(QStringLiteral("azAZ09-_.!~*'()")), "azAZ09-_.!~*'()");
    EXPECT_EQ(UrlText::addPercentEscapes(QStringLiteral(";/?:@&=+$,")), ";/?:@&=+$,");
    EXPECT_EQ(UrlText::addPercentEscapes(QStringLiteral("a b%c#d")), "a%20b%25c%23d");
    EXPECT_EQ(UrlText::addPercentEscapes(QStringLiteral("é")), "%C3%A9");
    EXPECT_EQ(UrlText::addPercentEscapes(QStringLiteral("\"<>\\^`{|}[]")),
              "%22%3C%3E%5C%5E%60%7B%7C%7D%5B%5D");
    EXPECT_EQ(UrlText::addPercentEscapes(QStringLiteral("\r\n")), "%0D%0A");
}

TEST(UrlText, DecodingAnswersNoTextForBadEscapesOrBadUtf8)
{
    EXPECT_EQ(UrlText::removePercentEncoding(QStringLiteral("a%20b")), QStringLiteral("a b"));
    EXPECT_EQ(UrlText::removePercentEncoding(QStringLiteral("%C3%A9")), QStringLiteral("é"));
    EXPECT_EQ(UrlText::removePercentEncoding(QStringLiteral("%2541")), QStringLiteral("%41"));
    EXPECT_FALSE(UrlText::removePercentEncoding(QStringLiteral("%")));
    EXPECT_FALSE(UrlText::removePercentEncoding(QStringLiteral("%zz")));
    EXPECT_FALSE(UrlText::removePercentEncoding(QStringLiteral("%C3")));
    EXPECT_FALSE(UrlText::removePercentEncoding(QStringLiteral("%FF%FE")));
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

TEST(UrlText, SurvivesHugeAndHostileTexts)
{
    QString huge(1 << 20, QLatin1Char('%'));
    EXPECT_FALSE(UrlText::removePercentEncoding(huge));
    EXPECT_FALSE(UrlText::urlWithString(huge));
    EXPECT_EQ(UrlText::addPercentEscapes(huge).size(), 3 * huge.size());
    const QString controls = QString::fromUtf8("\x01\x1b[31m\x7f");
    EXPECT_EQ(UrlText::addPercentEscapes(controls), "%01%1B%5B31m%7F");
}

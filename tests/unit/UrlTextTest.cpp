#include "platform/UrlText.h"

#include <gtest/gtest.h>

TEST(UrlText, DecodesStrictly)
{
    EXPECT_EQ(UrlText::removePercentEncoding("a%20b"), "a b");
    EXPECT_EQ(UrlText::removePercentEncoding("%C3%A9"), "é");
    EXPECT_EQ(UrlText::removePercentEncoding("%2541"), "%41");
    // Bad escapes or bad UTF-8: no text.
    for (const char* bad : {"%", "%zz", "%C3", "%FF%FE"})
        EXPECT_FALSE(UrlText::removePercentEncoding(QString::fromLatin1(bad))) << bad;
    const QString huge(1 << 20, QLatin1Char('%'));
    EXPECT_FALSE(UrlText::removePercentEncoding(huge));
    EXPECT_FALSE(UrlText::urlWithString(huge));
}

TEST(UrlText, StrictParserRefusesWhatIsNotAWellFormedUrl)
{
    const auto url = UrlText::urlWithString("ftp://h:21/a%20b/");
    EXPECT_TRUE(url && url->host() == "h" && url->port() == 21);
    EXPECT_TRUE(UrlText::urlWithString("ftp://u:p@h:21/x"));
    EXPECT_TRUE(UrlText::urlWithString("ftp://h:/"));
    for (const char* bad :
         {"", "ftp://h:21/a b/", "ftp://h:21/é/", "ftp://h:21/%", "ftp://h:21/%4g",
          "ftp://h:21/a\tb", "ftp://h:21/a\nb", "ftp://h:21/<x>", "ftp://h:x/"})
        EXPECT_FALSE(UrlText::urlWithString(QString::fromUtf8(bad))) << bad;
}

TEST(UrlText, AnEntryUrlIsTheFolderUrlAsItStandsAndTheNameEscapedAsOneComponent)
{
    EXPECT_EQ(UrlText::entryURL("ftp://[::1]:21/a%20b/", "x?#/y z", false),
              "ftp://[::1]:21/a%20b/x%3F%23%2Fy%20z");
    EXPECT_EQ(UrlText::entryURL("ftp://h:21/pub", "d", true), "ftp://h:21/pub/d/");
    for (const char* bad : {"ftp://h:21/a b/", "ftp://h:21/a?q/", "ftp://h:21/a#f/"})
        EXPECT_FALSE(UrlText::entryURL(QString::fromLatin1(bad), "x", false)) << bad;
}

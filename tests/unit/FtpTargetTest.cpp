#include "platform/ftp/FtpTarget.h"

#include <gtest/gtest.h>

namespace {

FtpTarget target(const char* text)
{
    return FtpTarget(QUrl(QString::fromUtf8(text)));
}

// What libcurl is handed: the URL, the parent folder's, the name, the login.
QByteArrayList parts(const FtpTarget& target)
{
    return {target.url(), target.parentUrl(), target.name(), target.userName(), target.password()};
}

} // namespace

TEST(FtpTarget, HandsLibcurlOneEscapedFormWithoutTheLogin)
{
    const FtpTarget file = target("ftp://u%40x:p%3A%2F%3F%23%25%20w@h:2121/pub/a%20b;type=a?c");
    ASSERT_TRUE(file.isValid()) << file.problem().toStdString();
    EXPECT_TRUE(!file.isFolder() && file.hasUserName());
    // ";type=" and "?" stay in the name instead of becoming libcurl's transfer type or a query.
    EXPECT_EQ(parts(file),
              (QByteArrayList{"ftp://h:2121/pub/a%20b%3Btype%3Da%3Fc", "ftp://h:2121/pub/",
                              "a b;type=a?c", "u@x", "p:/?#% w"}));

    const FtpTarget folder = target("ftp://h/pub//new%C3%A9/");
    EXPECT_TRUE(folder.isValid() && folder.isFolder() && !folder.hasUserName());
    EXPECT_EQ(parts(folder), (QByteArrayList{"ftp://h:21/pub/new%C3%A9/", "ftp://h:21/pub/",
                                             "new\xC3\xA9", "", ""}));
    const FtpTarget root = target("ftp://h:21/");
    EXPECT_TRUE(root.isFolder() && root.name().isEmpty());
    EXPECT_EQ(root.url(), "ftp://h:21/");

    // A path beginning "//" starts at the server's root folder.
    EXPECT_EQ(target("ftp://h//srv/x").url(), "ftp://h:21/%2Fsrv/x");
    EXPECT_EQ(target("ftp://[::1]:2121/x").url(), "ftp://[::1]:2121/x");
}

TEST(FtpTarget, RefusesNamesThatCouldInjectCommandsOrLeaveTheFolder)
{
    for (const char* bad :
         {"ftp://h/x%0D%0ADELE%20victim/", "ftp://h/a%0Ab", "ftp://h/a%00b", "ftp://h/..%2Fevil",
          "ftp://h/a/../b", "ftp://h/a/%2E%2E/", "ftp://h/./x", "ftp://h/x#frag", "http://h/x",
          "ftp:///x", "ftp://u%0D%0APASS:x@h/x"}) {
        const FtpTarget refused = target(bad);
        EXPECT_FALSE(refused.isValid()) << bad;
        EXPECT_FALSE(refused.problem().isEmpty()) << bad;
    }
}

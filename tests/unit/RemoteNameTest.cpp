#include "platform/RemoteName.h"

#include <gtest/gtest.h>

TEST(RemoteName, OneEntryOnTheServerAndSafeAsALocalFileName)
{
    // Addressable: one path component that cannot split a command line.
    for (const QByteArray& name : {QByteArray("a b"), QByteArray("..."), QByteArray(".hidden"),
                                   QByteArray("\xff\xfe"), QByteArray("tab\tx")})
        EXPECT_TRUE(RemoteName::isAddressable(name)) << name.toStdString();
    for (const QByteArray& name :
         {QByteArray(), QByteArray("."), QByteArray(".."), QByteArray("a/b"), QByteArray("/"),
          QByteArray("x\r\nDELE y"), QByteArray("cr\r"), QByteArray("nul\0x", 5)}) {
        EXPECT_FALSE(RemoteName::isAddressable(name)) << name.toStdString();
        EXPECT_FALSE(RemoteName::whyNotAddressable(name).isEmpty());
    }

    // Safe locally: addressable, and nothing that hides or reorders what a file manager shows.
    EXPECT_TRUE(RemoteName::isSafeLocalName(QStringLiteral("caf\u00e9 \u05e9\u05dc\u05d5\u05dd")));
    EXPECT_TRUE(RemoteName::isSafeLocalName(QStringLiteral("...")));
    for (const QString& name :
         {QStringLiteral("tab\tx"), QStringLiteral("del\x7f"), QStringLiteral("c1\u0085"),
          QStringLiteral("rlo-\u202etxt.exe"), QStringLiteral("lre\u202a"),
          QStringLiteral("lri\u2066"), QStringLiteral("pdi\u2069"), QStringLiteral("a/b"),
          QStringLiteral("..")})
        EXPECT_FALSE(RemoteName::isSafeLocalName(name)) << name.toStdString();
}

TEST(RemoteName, ANewNameIsSafeLocallyWithoutDirectionMarksAndAtMost255Bytes)
{
    EXPECT_EQ(RemoteName::whyNotNewName(QString(255, u'z')), "");
    for (const QString& name :
         {QStringLiteral("esc\x1b[2J"), QStringLiteral("bel\x07"), QStringLiteral("csi\u009B"),
          QStringLiteral("rlo\u202Etxt"), QStringLiteral("rlm\u200F"), QString(128, QChar(0xE9))})
        EXPECT_FALSE(RemoteName::whyNotNewName(name).isEmpty()) << name.toStdString();
}

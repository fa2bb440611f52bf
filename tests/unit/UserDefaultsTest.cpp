#include "platform/UserDefaults.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include "TempSettings.h"

namespace {

const QString kHost = QStringLiteral("Host");
const QString kPort = QStringLiteral("Port");
const QString kPassive = QStringLiteral("Passive");

} // namespace

TEST(UserDefaults, KeepsStringsIntegersAndAbsenceApartAcrossARestart)
{
    TempSettings settings;
    {
        auto& store = UserDefaults::standardUserDefaults();
        EXPECT_FALSE(store.objectForKey(kHost).isValid());
        EXPECT_EQ(store.integerForKey(kPassive), 0);
        store.setObject(QString(), kHost);
        store.setObject(QStringLiteral("21"), kPort);
        store.setInteger(1, kPassive);
        store.setObject(QStringLiteral("p@ss wörd"), QStringLiteral("Password"));
        EXPECT_TRUE(store.synchronize());
    }
    settings.restart();
    auto& store = UserDefaults::standardUserDefaults();
    const QVariant host = store.objectForKey(kHost);
    ASSERT_TRUE(host.isValid());
    EXPECT_EQ(host.typeId(), QMetaType::QString);
    EXPECT_EQ(host.toString(), "");
    EXPECT_EQ(store.objectForKey(kPort).typeId(), QMetaType::QString);
    EXPECT_EQ(store.objectForKey(kPort).toString(), "21");
    EXPECT_NE(store.objectForKey(kPassive).typeId(), QMetaType::QString);
    EXPECT_EQ(store.integerForKey(kPassive), 1);
    EXPECT_EQ(store.objectForKey(QStringLiteral("Password")).toString(), "p@ss wörd");
    EXPECT_EQ(store.integerForKey(QStringLiteral("Anonymous")), 0);
}

TEST(UserDefaults, FileIsPrivateToTheUser)
{
    TempSettings settings;
    auto& store = UserDefaults::standardUserDefaults();
    store.setObject(QStringLiteral("secret"), QStringLiteral("ProxyPassword"));
    ASSERT_TRUE(store.synchronize());
    struct stat st
    {
    };
    ASSERT_EQ(::stat(QFile::encodeName(UserDefaults::storePath()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_TRUE(UserDefaults::storePath().startsWith(settings.configHome()));
}

TEST(UserDefaults, CorruptFileIsKeptAsideAndTheStoreStartsEmpty)
{
    TempSettings settings;
    const QString path = UserDefaults::storePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    for (const QByteArray& junk : {QByteArray("[1,2]"), QByteArray("\xff\xfe\x00garbage", 10)}) {
        QFile::remove(path);
        QFile::remove(path + ".corrupt");
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(junk);
        file.close();
        settings.restart();

        auto& store = UserDefaults::standardUserDefaults();
        EXPECT_FALSE(store.objectForKey(kHost).isValid());
        QFile aside(path + ".corrupt");
        ASSERT_TRUE(aside.open(QIODevice::ReadOnly));
        EXPECT_EQ(aside.readAll(), junk);
        store.setObject(QStringLiteral("h2"), kHost);
        EXPECT_TRUE(store.synchronize());
    }
    // A second corrupt file does not overwrite the first one kept aside.
    QFile::remove(path + ".corrupt.1");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("not json");
    file.close();
    settings.restart();
    UserDefaults::standardUserDefaults();
    EXPECT_TRUE(QFile::exists(path + ".corrupt"));
    EXPECT_TRUE(QFile::exists(path + ".corrupt.1"));
}

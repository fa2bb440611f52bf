#include "platform/UserDefaults.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "TempSettings.h"
#include "TestFiles.h"
#include "platform/Keyring.h"

namespace {

const QString kHost = "Host";
const QString kPort = "Port";
const QString kPassive = "Passive";

} // namespace

TEST(UserDefaults, KeepsStringsIntegersAndAbsenceApartInAPrivateFileRewrittenOnlyOnChange)
{
    TempSettings settings;
    {
        auto& store = UserDefaults::standardUserDefaults();
        EXPECT_FALSE(store.objectForKey(kHost).isValid());
        EXPECT_EQ(store.integerForKey(kPassive), 0);
        store.setObject(QString(), kHost);
        store.setObject("21", kPort);
        store.setInteger(1, kPassive);
        store.setObject("p@ss wörd", "Password");
        EXPECT_TRUE(store.synchronize());
    }
    // The file holds passwords: private to the user, below the config folder.
    struct stat st = {};
    ASSERT_EQ(::stat(QFile::encodeName(UserDefaults::storePath()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_TRUE(UserDefaults::storePath().startsWith(settings.configHome()));
    settings.restart();
    auto& store = UserDefaults::standardUserDefaults();
    EXPECT_EQ(store.objectForKey(kHost), QVariant(QString("")));
    EXPECT_EQ(store.objectForKey(kPort), QVariant("21"));
    EXPECT_NE(store.objectForKey(kPassive).typeId(), QMetaType::QString);
    EXPECT_EQ(store.integerForKey(kPassive), 1);
    EXPECT_EQ(store.objectForKey("Password").toString(), "p@ss wörd");
    EXPECT_EQ(store.integerForKey("Anonymous"), 0);

    // Storing the same values again leaves the file as it is; a changed one rewrites it.
    const auto fileId = [] {
        struct stat now = {};
        ::stat(QFile::encodeName(UserDefaults::storePath()).constData(), &now);
        return now.st_ino;
    };
    const auto before = fileId();
    store.setObject(QString(), kHost);
    store.setInteger(1, kPassive);
    EXPECT_TRUE(store.synchronize() && fileId() == before);
    store.setInteger(0, kPassive);
    EXPECT_TRUE(store.synchronize() && fileId() != before);
    settings.restart();
    EXPECT_EQ(UserDefaults::standardUserDefaults().integerForKey(kPassive), 0);
}

TEST(UserDefaults, CorruptFilesAreKeptAsideNeverOverwrittenAndTheStoreStartsEmpty)
{
    TempSettings settings;
    const QString path = UserDefaults::storePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QByteArray junk[] = {QByteArray("[1,2]"), QByteArray("\xff\xfe\x00garbage", 10)};
    const QString aside[] = {path + ".corrupt", path + ".corrupt.1"};
    for (int i = 0; i < 2; ++i) {
        writeFile(path, junk[i]);
        settings.restart();
        auto& store = UserDefaults::standardUserDefaults();
        EXPECT_FALSE(store.objectForKey(kHost).isValid());
        store.setObject("h2", kHost);
        EXPECT_TRUE(store.synchronize());
    }
    // The second corrupt file went beside the first one kept aside.
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(readFile(aside[i]), junk[i]);
}

// Passwords go to the keyring only where one can answer: a session with no bus at all has none,
// but the user bus in XDG_RUNTIME_DIR counts as one without any variable naming it.
TEST(UserDefaults, TheKeyringIsSkippedOnlyWhereNoSessionBusCanBeReached)
{
    const QByteArray names[] = {"DBUS_SESSION_BUS_ADDRESS", "DISPLAY", "XDG_RUNTIME_DIR"};
    QList<std::optional<QByteArray>> saved;
    for (const QByteArray& name : names)
        saved.append(qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt);
    const auto restore = qScopeGuard([&] {
        for (int i = 0; i < 3; ++i)
            saved[i] ? qputenv(names[i], *saved[i]) : qunsetenv(names[i]);
    });
    const QTemporaryDir runtime;
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    qunsetenv("DISPLAY");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    EXPECT_FALSE(Keyring::sessionBusPossible());
    writeFile(runtime.filePath(QStringLiteral("bus")), "");
    EXPECT_TRUE(Keyring::sessionBusPossible());
}

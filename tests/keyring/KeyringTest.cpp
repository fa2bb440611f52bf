// Run by with-keyring.sh, in a private D-Bus session with a gnome-keyring of its own.

#include "platform/Keyring.h"

#include "ServerProcess.h"
#include "WindowFixture.h"
#include "platform/SiteStore.h"

namespace {

QByteArray bothFiles()
{
    return readFile(UserDefaults::storePath()) + readFile(SiteStore::storePath());
}

class KeyringPasswords : public WindowFixture
{
protected:
    void startAndWaitForTheKeyring()
    {
        startApp();
        ASSERT_TRUE(QTest::qWaitFor(
            [] { return Keyring::shared().state() != Keyring::State::Unknown; }, 30000));
        ASSERT_EQ(Keyring::shared().state(), Keyring::State::Available);
        EXPECT_TRUE(c->passwordNoteLabel->isHidden());
    }
    bool keyringSettled()
    {
        return QTest::qWaitFor([] { return Keyring::shared().pending() == 0; }, 30000);
    }
    void restart()
    {
        app.reset();
        settings.restart();
        startAndWaitForTheKeyring();
    }
};

} // namespace

TEST_F(KeyringPasswords, SavedPasswordsLiveInTheKeyringAndComeBackAfterARestart)
{
    startAndWaitForTheKeyring();
    c->userField->setText("u");
    c->passwordField->setText("secret-one");
    c->proxyPasswordField->setText("secret-two");
    c->saveAction();
    ASSERT_TRUE(keyringSettled());
    EXPECT_FALSE(bothFiles().contains("secret-"));

    restart();
    ASSERT_TRUE(keyringSettled());
    EXPECT_EQ(c->passwordField->text(), "secret-one");
    EXPECT_EQ(c->proxyPasswordField->text(), "secret-two");
}

TEST_F(KeyringPasswords, APlainPasswordMovesToTheKeyringAtTheNextSave)
{
    store().setValue("u", Setting::User);
    store().setValue("plain-one", Setting::Password);
    store().synchronize();
    startAndWaitForTheKeyring();
    EXPECT_EQ(c->passwordField->text(), "plain-one");
    EXPECT_TRUE(bothFiles().contains("plain-one"));
    c->saveAction();
    ASSERT_TRUE(keyringSettled());
    EXPECT_FALSE(bothFiles().contains("plain-one"));

    restart();
    ASSERT_TRUE(keyringSettled());
    EXPECT_EQ(c->passwordField->text(), "plain-one");
}

// The drive saves a link's login as a site, lists the sites without the password, and a later
// run connects with the site, its password read from the keyring.
TEST_F(KeyringPasswords, TheDriveSavesASiteAndConnectsWithIt)
{
    FtpServer::Options options;
    options.anonymous = false;
    options.user = "keyring-user";
    options.password = "keyring-secret";
    server = std::make_unique<FtpServer>(options);
    ASSERT_TRUE(server->start()) << server->log().toStdString();
    const QString link = QStringLiteral("ftp://keyring-user:keyring-secret@%1:%2/")
                             .arg(server->urlHost())
                             .arg(server->port());
    const auto drive = [&](const QStringList& arguments) {
        return ServerProcess::runAndRead(
            TANDREL_DRIVE, QStringList{"--settings", settings.configHome()} + arguments);
    };
    const QString saved = drive({"--url", link, "save-site", "s", "sites"});
    EXPECT_TRUE(saved.contains("site\ts\tftp://keyring-user@")) << saved.toStdString();
    EXPECT_FALSE(saved.contains("keyring-secret")) << saved.toStdString();
    EXPECT_FALSE(bothFiles().contains("keyring-secret"));
    const QString listed = drive({"--site", "s", "list"});
    EXPECT_TRUE(listed.contains("status\tList succeeded")) << listed.toStdString();
}

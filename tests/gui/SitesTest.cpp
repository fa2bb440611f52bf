#include <thread>

#include <QFile>

#include "WindowFixture.h"
#include "platform/SingleInstance.h"
#include "platform/SiteStore.h"

namespace {

class Sites : public WindowFixture
{
protected:
    QStringList chooserItems() const
    {
        QStringList items;
        for (int i = 0; i < c->siteChooser->count(); ++i)
            items.append(c->siteChooser->itemText(i));
        return items;
    }
    void choose(const QString& name)
    {
        const int index = c->siteChooser->findText(name);
        c->siteChooser->setCurrentIndex(index);
        emit c->siteChooser->activated(index);
    }
    // Presses the button and answers its name prompt.
    void nameSite(QPushButton* button, const QString& name)
    {
        toolkit.answerAlert(Toolkit::kDefaultReturn, name);
        button->click();
    }
};

} // namespace

TEST_F(Sites, AnExistingStoreIsTheFirstSiteAndEachSiteKeepsItsOwnSettings)
{
    store().setValue("first.example", Setting::Host);
    store().setValue("secret", Setting::Password);
    store().synchronize();
    startApp();
    EXPECT_EQ(chooserItems(), QStringList{"first.example"});

    nameSite(c->newSiteButton, "second");
    EXPECT_TRUE(c->hostField->text().isEmpty() && c->passiveCheckBox->isChecked());
    c->hostField->setText("second.example");
    choose("first.example");
    EXPECT_EQ(c->hostField->text(), "first.example");
    EXPECT_EQ(c->passwordField->text(), "secret");

    restartApp();
    EXPECT_EQ(chooserItems(), (QStringList{"first.example", "second"}));
    EXPECT_EQ(c->siteChooser->currentText(), "first.example");
    choose("second");
    EXPECT_EQ(c->hostField->text(), "second.example");
    EXPECT_EQ(QFile::permissions(SiteStore::storePath()),
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
}

TEST_F(Sites, RenameDuplicateAndDeleteKeepTheNamesUnique)
{
    startApp();
    nameSite(c->renameSiteButton, "a");
    c->hostField->setText("a.example");
    nameSite(c->duplicateSiteButton, "b");
    EXPECT_EQ(chooserItems(), (QStringList{"a", "b"}));
    EXPECT_EQ(c->hostField->text(), "a.example");

    toolkit.answerAlert(Toolkit::kDefaultReturn, "a");
    toolkit.answerAlert(Toolkit::kDefaultReturn); // the refusal
    c->renameSiteButton->click();
    EXPECT_EQ(toolkit.alertsShown.last().informativeText, "A site named \"a\" exists already.");
    EXPECT_EQ(chooserItems(), (QStringList{"a", "b"}));
    nameSite(c->renameSiteButton, "b"); // its own name
    EXPECT_EQ(toolkit.alertsShown.last().messageText, "New name of the site:");

    for (const QStringList& left : {QStringList{"a"}, QStringList{"My server"}}) {
        toolkit.answerAlert(Toolkit::kDefaultReturn);
        c->deleteSiteButton->click();
        EXPECT_EQ(chooserItems(), left);
    }
    EXPECT_EQ(c->hostField->text(), "");
}

TEST_F(Sites, AnUnreadableSitesFileIsKeptAsideAndReported)
{
    UserDefaults::createPrivateFile(SiteStore::storePath());
    writeFile(SiteStore::storePath(), "{ not json");
    toolkit.answerAlert(Toolkit::kDefaultReturn);
    startApp();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !toolkit.alertsShown.isEmpty(); }, 5000));
    EXPECT_EQ(toolkit.alertsShown[0].messageText, "The saved sites could not be read");
    EXPECT_EQ(readFile(SiteStore::storePath() + ".corrupt"), "{ not json");
    EXPECT_EQ(chooserItems().size(), 1);
}

TEST_F(Sites, ALinkConnectsToItsFolderWithoutChangingTheSavedSites)
{
    startServer();
    QDir(root()).mkpath("sub/inner");
    store().setValue("saved.example", Setting::Host);
    store().synchronize();
    startApp();
    c->saveAction(); // the sites file as it stands
    const QByteArray settingsFile = readFile(UserDefaults::storePath());
    const QByteArray sitesFile = readFile(SiteStore::storePath());

    ASSERT_TRUE(c->openLink(rootUrl() + "sub/"));
    ASSERT_TRUE(waitForListing());
    EXPECT_GE(rowNamed("inner"), 0);
    EXPECT_EQ(c->siteChooser->currentText(), rootUrl() + "sub/");
    c->disconnectAction();
    EXPECT_EQ(readFile(UserDefaults::storePath()), settingsFile);
    EXPECT_EQ(readFile(SiteStore::storePath()), sitesFile);
    choose("saved.example");
    EXPECT_EQ(c->hostField->text(), "saved.example");
}

TEST_F(Sites, ALinkThatNamesNoServerIsRefusedWithAMessage)
{
    startApp();
    for (const char* link : {"http://example.org/", "ftp://", "ftp://h:99999/", "ftp://a b/",
                             "ftp://h/x%0D%0ADELE%20y/"}) {
        toolkit.answerAlert(Toolkit::kDefaultReturn);
        EXPECT_FALSE(c->openLink(QLatin1String(link))) << link;
        EXPECT_EQ(toolkit.alertsShown.last().messageText, "Tandrel cannot open this link");
        EXPECT_FALSE(toolkit.alertsShown.last().informativeText.isEmpty()) << link;
    }
    EXPECT_TRUE(c->connectItem->isEnabled() && chooserItems() == QStringList{"My server"});
}

TEST_F(Sites, ASecondStartHandsItsLinkToTheRunningWindow)
{
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    startServer();
    startApp();
    SingleInstance links;
    ASSERT_TRUE(links.listen());
    SingleInstance startedWithoutALink; // leaves the links to the running one
    EXPECT_FALSE(startedWithoutALink.listen());
    QObject::connect(&links, &SingleInstance::linkReceived, c, &Controller::openLink);
    bool handedOver = false;
    std::thread second([&] { handedOver = SingleInstance::handOver(rootUrl()); });
    EXPECT_TRUE(QTest::qWaitFor([&] { return listingsEnded == 1; }, 30000));
    second.join();
    qunsetenv("XDG_RUNTIME_DIR");
    EXPECT_TRUE(handedOver && c->status == "List succeeded");
}

TEST_F(Sites, WithoutAKeyringTheServerTabSaysWherePasswordsGo)
{
    startApp();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !c->passwordNoteLabel->isHidden(); }, 15000));
    EXPECT_EQ(c->passwordNoteLabel->text(), "Passwords are saved in a file only you can read");
}

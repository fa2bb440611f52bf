#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>

#include "Classes/BrowserInput.h"
#include "SshdServer.h"
#include "WindowFixture.h"
#include "platform/TrustedHostKeys.h"
#include "platform/UserDefaults.h"

// The window on an SFTP server: sshd with the test's key chosen as the key file, and a
// known_hosts file that does not know the server.
class SftpWindow : public WindowFixture
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sshd.start()) << sshd.problem().toStdString();
        writeFile(sshd.localPath(QStringLiteral("file.txt")), "sftp");
        writeFile(knownHosts.filePath(QStringLiteral("known_hosts")), {});
        TrustedHostKeys::setSshKnownHostsPath(knownHosts.filePath(QStringLiteral("known_hosts")));
        UserDefaults::standardUserDefaults().setValue(sshd.keyFile(), Setting::SshKeyFile);
        UserDefaults::standardUserDefaults().setValue(sshd.root(), Setting::Directory);
        startApp();
        c->protocolPopUp->setCurrentIndex(1);
    }
    void TearDown() override { TrustedHostKeys::setSshKnownHostsPath(QString()); }

    SshdServer sshd;
    QTemporaryDir knownHosts;
};

TEST_F(SftpWindow, AnUnknownHostKeyIsAskedAboutAndTrustedBeforeTheLogIn)
{
    toolkit.answerSecurityAlert(Toolkit::kDefaultReturn);
    connectAs(sshd.user(), QString(), sshd.port());
    ASSERT_TRUE(waitForListing());
    ASSERT_TRUE(waitForListing()); // the listing again, after the trust
    EXPECT_EQ(c->status, "List succeeded") << c->statusLabel->text().toStdString();
    ASSERT_EQ(toolkit.securityAlertsShown.size(), 1);
    const Toolkit::SecurityAlert asked = toolkit.securityAlertsShown.constFirst();
    EXPECT_EQ(asked.kind, Toolkit::SecurityAlert::Kind::Untrusted);
    EXPECT_EQ(asked.host, QStringLiteral("[127.0.0.1]:%1").arg(sshd.port()));
    ASSERT_TRUE(asked.hostKey);
    EXPECT_EQ(asked.hostKey->fingerprint, sshd.hostKeyFingerprint());
    EXPECT_EQ(c->securityLabel->toolTip(), "SSH, host key trusted by you");
    selectRow(rowNamed(QStringLiteral("file.txt")));
    c->browserInput->copyURLItem->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(),
              QStringLiteral("sftp://%1@127.0.0.1:%2%3/file.txt")
                  .arg(sshd.user())
                  .arg(sshd.port())
                  .arg(QString::fromLatin1(QUrl::toPercentEncoding(sshd.root(), "/"))));
    EXPECT_FALSE(c->encryptionPopUp->isEnabled());
    EXPECT_EQ(UserDefaults::standardUserDefaults().text(Setting::Protocol), "sftp");
}

TEST_F(SftpWindow, ChoosingSftpSwitchesTheDefaultPortAndTellsEncryptionIsForFtp)
{
    c->protocolPopUp->setCurrentIndex(0);
    c->portField->setText(QStringLiteral("21"));
    c->protocolPopUp->setCurrentIndex(1);
    emit c->protocolPopUp->activated(1);
    EXPECT_EQ(c->portField->text(), "22");
    EXPECT_FALSE(c->encryptionPopUp->isEnabled());
    EXPECT_TRUE(c->encryptionNote->isVisibleTo(c->encryptionNote->parentWidget()));
    c->protocolPopUp->setCurrentIndex(0);
    emit c->protocolPopUp->activated(0);
    EXPECT_EQ(c->portField->text(), "21");
    EXPECT_TRUE(c->encryptionPopUp->isEnabled());
}

TEST_F(SftpWindow, AKeyFilesPassphraseIsAskedForAndNeverSaved)
{
    writeFile(knownHosts.filePath(QStringLiteral("known_hosts")), sshd.knownHostsLine().toUtf8());
    c->keyFileField->setText(sshd.keyFileWithPassphrase(QStringLiteral("pass phrase")));
    toolkit.answerAlert(Toolkit::kDefaultReturn, QStringLiteral("pass phrase"));
    connectAs(sshd.user(), QString(), sshd.port());
    ASSERT_TRUE(waitForListing());
    EXPECT_EQ(c->status, "List succeeded") << c->statusLabel->text().toStdString();
    ASSERT_EQ(toolkit.alertsShown.size(), 1);
    EXPECT_TRUE(toolkit.alertsShown.constFirst().secretText);
    EXPECT_EQ(c->securityLabel->toolTip(), "SSH, host key known");
    EXPECT_FALSE(readFile(settings.configHome() + QStringLiteral("/tandrel/tandrel.json"))
                     .contains("pass phrase"));
}

TEST_F(SftpWindow, AnSftpLinkOpensItsFolder)
{
    toolkit.answerSecurityAlert(Toolkit::kDefaultReturn);
    ASSERT_TRUE(c->openLink(QStringLiteral("sftp://%1@127.0.0.1:%2%3/")
                                .arg(sshd.user())
                                .arg(sshd.port())
                                .arg(sshd.root())));
    ASSERT_TRUE(waitForListing());
    ASSERT_TRUE(waitForListing()); // the listing again, after the trust
    EXPECT_EQ(c->status, "List succeeded") << c->statusLabel->text().toStdString();
    EXPECT_GE(rowNamed(QStringLiteral("file.txt")), 0);
}

// The server drops the connection mid-download: the status line says so, the file already here
// stays as it was, what came waits in the partial file, and the window is ready again.
TEST_F(SftpWindow, ADownloadCutOffMidwayKeepsTheLocalFileAndWhatCame)
{
    writeSparseFile(sshd.localPath(QStringLiteral("big.bin")), 256 * 1024 * 1024);
    writeFile(knownHosts.filePath(QStringLiteral("known_hosts")), sshd.knownHostsLine().toUtf8());
    connectAs(sshd.user(), QString(), sshd.port());
    ASSERT_TRUE(waitForListing());
    ASSERT_EQ(c->status, "List succeeded") << c->statusLabel->text().toStdString();
    c->downloadFolder = downloads.path();
    writeFile(downloads.filePath(QStringLiteral("big.bin")), "precious");
    OperationRecorder failed(download(), c);
    downloadRow(QStringLiteral("big.bin"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return download()->receivedBytes() > 0; }, 20000));
    sshd.dropConnections();
    ASSERT_TRUE(failed.waitForEnd());
    EXPECT_TRUE(
        statusStartsWith(QStringLiteral("Network read error: The transfer broke off after ")));
    EXPECT_EQ(readFile(downloads.filePath(QStringLiteral("big.bin"))), "precious");
    const qint64 kept = QFileInfo(downloads.filePath(QStringLiteral("big.bin.part"))).size();
    EXPECT_GT(kept, 0);
    EXPECT_LT(kept, 256 * 1024 * 1024);
    EXPECT_EQ(enabledBrowserButtons(), 5);
    EXPECT_FALSE(download()->isRunning());
}

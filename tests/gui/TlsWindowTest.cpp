#include "TestCertificates.h"
#include "VsftpdServer.h"
#include "WindowFixture.h"
#include "platform/TrustedCertificates.h"

using Kind = Toolkit::SecurityAlert::Kind;

class TlsWindow : public WindowFixture
{
protected:
    // Starts vsftpd with TLS on that certificate, then the window; false when vsftpd cannot run.
    bool startVsftpd(const TestCertificates::Pair& pair)
    {
        if (!vsftpd.start({pair.certificate, pair.key, false, true}))
            return false;
        startApp();
        return true;
    }

    TestCertificates certificates;
    VsftpdServer vsftpd;
};

TEST_F(TlsWindow, UnknownCertificatesAreAskedAboutAndPinnedAChangedOneRefused)
{
    ASSERT_TRUE(certificates.ok()) << certificates.problem().toStdString();
    const TestCertificates::Pair first = certificates.selfSigned("first");
    if (!startVsftpd(first))
        GTEST_SKIP() << vsftpd.problem().toStdString();
    c->encryptionPopUp->setCurrentIndex(1); // Require TLS

    toolkit.answerSecurityAlert(Toolkit::kDefaultReturn);
    connectAnonymously(vsftpd.port());
    ASSERT_TRUE(waitForListing());
    ASSERT_TRUE(waitForListing()); // the listing again, after the trust
    EXPECT_EQ(c->status, "List succeeded") << c->statusLabel->text().toStdString();
    ASSERT_EQ(toolkit.securityAlertsShown.size(), 1);
    const Toolkit::SecurityAlert asked = toolkit.securityAlertsShown.constFirst();
    const QString hostPort = QStringLiteral("127.0.0.1:%1").arg(vsftpd.port());
    EXPECT_EQ(asked.kind, Kind::Untrusted);
    EXPECT_EQ((QStringList{asked.host, asked.problem, asked.certificate.subject,
                           asked.certificate.fingerprint}),
              (QStringList{hostPort, "The server's certificate is self-signed", "CN=first",
                           certificates.fingerprint(first.certificate)}));
    EXPECT_FALSE(asked.certificate.validUntil.isEmpty());
    EXPECT_EQ(c->securityLabel->toolTip(), "TLS 1.3, certificate trusted by you");
    EXPECT_EQ(store().objectForKey("Encryption").toString(), "require");
    EXPECT_EQ(QFile::permissions(TrustedCertificates::storePath()),
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);

    // Trusted now: the next connect asks nothing.
    c->disconnectItem->trigger();
    connectAndList(vsftpd.port());
    EXPECT_EQ(toolkit.securityAlertsShown.size(), 1);

    // Another key where the first was trusted: a warning naming both, and Cancel stops.
    c->disconnectItem->trigger();
    const TestCertificates::Pair second = certificates.selfSigned("second");
    VsftpdServer changed;
    ASSERT_TRUE(changed.start({second.certificate, second.key, false, true}));
    const QString changedHostPort = QStringLiteral("127.0.0.1:%1").arg(changed.port());
    ASSERT_TRUE(TrustedCertificates::trust(changedHostPort, asked.certificate));
    toolkit.answerSecurityAlert(Toolkit::kAlternateReturn);
    connectAnonymously(changed.port());
    ASSERT_TRUE(waitForListing());
    ASSERT_EQ(toolkit.securityAlertsShown.size(), 2) << c->statusLabel->text().toStdString();
    const Toolkit::SecurityAlert warned = toolkit.securityAlertsShown.constLast();
    EXPECT_EQ(warned.kind, Kind::Changed);
    EXPECT_EQ(warned.previousFingerprint + ' ' + warned.certificate.fingerprint,
              asked.certificate.fingerprint + ' ' + certificates.fingerprint(second.certificate));
    EXPECT_EQ(c->statusLabel->text(),
              "Stream open error: The server's certificate is not the one you trusted");
    EXPECT_EQ(TrustedCertificates::trusted(changedHostPort)->fingerprint,
              asked.certificate.fingerprint);
}

TEST_F(TlsWindow, APlainServerIsUsedIfTlsIsOptionalAndTheLockSaysSo)
{
    startServer();
    startApp();
    EXPECT_EQ(controller()->encryptionPopUp->currentIndex(), 0); // no Encryption stored
    connectAndList();
    EXPECT_EQ(controller()->securityLabel->toolTip(), "Not encrypted");

    // Once reached with TLS, the host is not used in plain text again without asking.
    controller()->disconnectItem->trigger();
    EXPECT_EQ(controller()->securityLabel->toolTip(), "");
    ASSERT_TRUE(
        TrustedCertificates::rememberTls(QStringLiteral("127.0.0.1:%1").arg(server->port())));
    toolkit.answerSecurityAlert(Toolkit::kDefaultReturn);
    connectAnonymously();
    ASSERT_TRUE(waitForListing());
    ASSERT_EQ(toolkit.securityAlertsShown.size(), 1);
    EXPECT_EQ(toolkit.securityAlertsShown.constFirst().kind, Kind::PlainText);
    EXPECT_EQ(toolkit.securityAlertsShown.constFirst().problem, "The server does not offer TLS");
    EXPECT_EQ(controller()->status, "List succeeded");
    EXPECT_EQ(controller()->securityLabel->toolTip(), "Not encrypted");
}

TEST_F(TlsWindow, AnUnreadableTrustStoreIsKeptAsideToldAndEveryPlainLoginAskedFirst)
{
    startServer();
    startApp();
    const QString path = TrustedCertificates::storePath();
    const QByteArray store =
        QStringLiteral("{\"tlsHosts\": [\"127.0.0.1:%1\"]}").arg(server->port()).toUtf8();
    // A stray brace, a file cut short, a folder (no bytes).
    for (const QByteArray& bytes : {store + "}", store.left(store.size() - 3), QByteArray()}) {
        if (bytes.isEmpty())
            ASSERT_TRUE(QDir().mkpath(path + "/inside"));
        else
            writeFile(path, bytes);
        const qsizetype asked = toolkit.securityAlertsShown.size();
        toolkit.answerSecurityAlert(Toolkit::kAlternateReturn);
        connectAnonymously();
        ASSERT_TRUE(waitForListing());
        ASSERT_EQ(toolkit.securityAlertsShown.size(), asked + 1) << bytes.constData();
        EXPECT_EQ(toolkit.securityAlertsShown.constLast().kind, Kind::PlainText);
        EXPECT_EQ(c->status, "Stream open error");
        const QString aside = path + ".corrupt";
        EXPECT_TRUE(c->securityLabel->toolTip().contains(aside)) << bytes.constData();
        if (bytes.isEmpty())
            EXPECT_TRUE(QDir().rmdir(aside + "/inside") && QDir().rmdir(aside));
        else
            EXPECT_EQ(readFile(aside), bytes);
        QFile::remove(aside);
        c->disconnectItem->trigger();
    }
}

TEST_F(TlsWindow, ATrustThatCannotBeSavedSaysSo)
{
    ASSERT_TRUE(certificates.ok()) << certificates.problem().toStdString();
    const TestCertificates::Pair self = certificates.selfSigned("self");
    if (!startVsftpd(self))
        GTEST_SKIP() << vsftpd.problem().toStdString();
    // The store's name leads into a folder that is not there: no write can succeed, as root too.
    ASSERT_TRUE(QFile::link(settings.configHome() + "/missing/store.json",
                            TrustedCertificates::storePath()));
    toolkit.answerSecurityAlert(Toolkit::kDefaultReturn);
    connectAnonymously(vsftpd.port());
    ASSERT_TRUE(waitForListing());
    EXPECT_TRUE(statusStartsWith("The trusted certificate could not be saved"));
}

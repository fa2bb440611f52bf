#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTcpServer>
#include <QThread>

#include <gtest/gtest.h>

#include "FtpServer.h"
#include "LoopbackPort.h"
#include "ShortTimeouts.h"
#include "SshdServer.h"
#include "StreamRecorder.h"
#include "TempSettings.h"
#include "TinyProxy.h"
#include "platform/TrustedHostKeys.h"
#include "platform/ftp/FtpStream.h"

namespace {

using P = FtpStreamProperty;

// One sshd for the suite, with a served folder holding a file, a folder and a link, and its
// host key known as a hashed known_hosts entry.
class Sftp : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        server = new SshdServer;
        if (!server->start())
            return;
        knownHosts = new QTemporaryDir;
        const QString hashed = knownHosts->filePath("known_hosts");
        writeFile(hashed, server->knownHostsLine().toUtf8() + '\n');
        ServerProcess::run("ssh-keygen", {"-q", "-H", "-f", hashed});
        TrustedHostKeys::setSshKnownHostsPath(hashed);
        QDir(server->root()).mkpath("a folder");
        writeFile(server->localPath(kFile), pattern(70000));
        QFile::link(kFile, server->localPath("link"));
    }
    static void TearDownTestSuite()
    {
        TrustedHostKeys::setSshKnownHostsPath(QString());
        delete knownHosts;
        delete server;
        server = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(server->isRunning()) << server->log().toStdString(); }

    static inline const QString kFile = QString::fromUtf8("na\u00efve file.txt");
    // The suite's known hosts, or with text as the only entry.
    static void knowHosts(const std::optional<QByteArray>& text = {})
    {
        QString path = knownHosts->filePath("known_hosts");
        if (text) {
            path = knownHosts->filePath("this test's");
            writeFile(path, *text);
        }
        TrustedHostKeys::setSshKnownHostsPath(path);
    }

    static FtpStreamProperties withKey(const SshdServer& to = *server)
    {
        return {{P::kCFStreamPropertyFTPUserName, to.user()},
                {P::kCFStreamPropertyFTPPassword, QString()},
                {P::SshPrivateKeyFile, to.keyFile()}};
    }

    // Whether the log-ins sshd logged since from were libssh's, which signs with the key at once;
    // libcurl's libssh2 first asks whether the key would do, which sshd logs as postponed.
    static bool loggedInThroughLibssh(qsizetype from)
    {
        const QString log = server->log().mid(from);
        return log.contains(QStringLiteral("Accepted publickey")) &&
               !log.contains(QStringLiteral("Postponed publickey"));
    }

    static inline SshdServer* server = nullptr;
    static inline QTemporaryDir* knownHosts = nullptr;
};

TEST_F(Sftp, ListsFoldersFilesAndLinksAsLsLines)
{
    // A name that is no UTF-8 comes as the server's bytes.
    const QByteArray latin1 = "caf\xe9.txt";
    const QByteArray odd = QFile::encodeName(server->root()) + '/' + latin1;
    ::close(::open(odd.constData(), O_CREAT | O_WRONLY, 0644));
    // Qt cannot name it to remove the suite's folder.
    const auto removeOdd = qScopeGuard([&] { ::unlink(odd.constData()); });
    const auto listing = readUrl(server->url(), withKey());
    ASSERT_TRUE(listing->ended) << listing->error.message.toStdString();
    EXPECT_EQ(listing->security.state, ConnectionSecurity::State::SshKnown);
    const QString text = QString::fromUtf8(listing->received);
    EXPECT_TRUE(text.contains(" 70000 ") && text.contains(kFile + "\r\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("\r\nd") && text.contains("link -> " + kFile + "\r\n"))
        << "a folder's and a link's";
    EXPECT_TRUE(listing->received.contains(" " + latin1 + "\r\n"));
}

// Whether a thread of the process has the name.
bool threadRuns(const QByteArray& name)
{
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(tasks.filePath(task + QStringLiteral("/comm")));
        if (comm.open(QIODevice::ReadOnly) && comm.readAll().trimmed() == name)
            return true;
    }
    return false;
}

// The connection is prepared while the window is built; the listing starts before it is ready.
// None of it needs libcurl's thread, which would only add its memory.
TEST_F(Sftp, APreparedConnectionTheListingAndTheDownloadAfterItShareOneLogIn)
{
    server->dropConnections();
    const qsizetype logStart = server->log().size();
    FtpStreamPrepareConnection(server->url(), withKey());
    ASSERT_TRUE(readUrl(server->url(), withKey())->ended);
    EXPECT_TRUE(readUrl(server->url("/" + kFile), withKey())->received == pattern(70000));
    EXPECT_EQ(server->log().mid(logStart).count(QStringLiteral("Accepted publickey")), 1)
        << server->log().mid(logStart).toStdString();
    EXPECT_FALSE(threadRuns("tandrel-curl"));
}

TEST_F(Sftp, AListingAndADownloadGoThroughAnHttpProxy)
{
    TinyProxy proxy(QStringLiteral("proxyuser"), QStringLiteral("proxy-secret"));
    ASSERT_TRUE(proxy.start()) << proxy.problem().toStdString();
    const FtpStreamProperties properties = proxy.carrying(withKey());
    const qsizetype logStart = server->log().size();
    const auto listing = readUrl(server->url(QStringLiteral("/")), properties);
    ASSERT_TRUE(listing->ended) << listing->error.message.toStdString();
    EXPECT_TRUE(listing->received.contains("link -> "));
    EXPECT_TRUE(proxy.log().contains(QStringLiteral("CONNECT"))) << proxy.log().toStdString();
    const auto file = readUrl(server->url("/" + kFile), properties);
    EXPECT_TRUE(file->received == pattern(70000)) << file->error.message.toStdString();
    EXPECT_TRUE(loggedInThroughLibssh(logStart));
}

// OpenSSH's client is the SOCKS5 proxy (ssh -D), through the suite's own sshd.
TEST_F(Sftp, AListingAndADownloadGoThroughASocks5Proxy)
{
    const quint16 socksPort = LoopbackPort::pickFree();
    ServerProcess socks;
    const QString why = socks.startListening(
        QStringLiteral("ssh -D"), QStringLiteral("/usr/bin/ssh"),
        {"-F", "/dev/null", "-N", "-vv", "-D", QStringLiteral("127.0.0.1:%1").arg(socksPort), "-p",
         QString::number(server->port()), "-i", server->keyFile(), "-o", "BatchMode=yes", "-o",
         "StrictHostKeyChecking=no", "-o", "UserKnownHostsFile=/dev/null",
         server->user() + QStringLiteral("@127.0.0.1")},
        socksPort);
    ASSERT_TRUE(why.isEmpty()) << why.toStdString();
    // ssh -vv logs each SOCKS5 request it carries.
    const auto carried = [&] {
        return socks.errors().count(
            QStringLiteral("dynamic request: socks5 host 127.0.0.1 port %1 ").arg(server->port()));
    };
    FtpStreamProperties properties = withKey();
    properties[P::kCFStreamPropertyFTPProxyHost] = QStringLiteral("socks5://127.0.0.1");
    properties[P::kCFStreamPropertyFTPProxyPort] = QString::number(socksPort);
    const auto listing = readUrl(server->url(QStringLiteral("/")), properties);
    ASSERT_TRUE(listing->ended) << listing->error.message.toStdString();
    EXPECT_TRUE(listing->received.contains("link -> "));
    EXPECT_EQ(carried(), 1);
    // socks5h: the proxy resolves the host's name. A connection kept from a download without the
    // proxy is not the proxy's.
    ASSERT_TRUE(readUrl(server->url(QStringLiteral("/link")), withKey())->ended);
    properties[P::kCFStreamPropertyFTPProxyHost] = QStringLiteral("socks5h://127.0.0.1");
    const qsizetype logStart = server->log().size();
    const auto file = readUrl(server->url("/" + kFile), properties);
    EXPECT_TRUE(file->ended) << file->error.message.toStdString();
    EXPECT_TRUE(file->received == pattern(70000));
    EXPECT_EQ(carried(), 2) << socks.errors().toStdString();
    EXPECT_TRUE(loggedInThroughLibssh(logStart));
}

TEST_F(Sftp, DownloadsAFileWithItsSizeAndTimeAndResumesAtAnOffset)
{
    const QUrl url = server->url("/" + kFile);
    server->dropConnections(); // a log-in of its own
    const qsizetype logStart = server->log().size();
    const auto whole = readUrl(url, withKey());
    ASSERT_TRUE(whole->ended) << whole->error.message.toStdString();
    EXPECT_TRUE(whole->received == pattern(70000));
    EXPECT_EQ(whole->stream(), nullptr);
    EXPECT_TRUE(loggedInThroughLibssh(logStart)) << server->log().toStdString();

    FtpStreamProperties fromOffset = withKey();
    fromOffset[P::FileTransferOffset] = qint64(65536);
    const auto resumed = readUrl(url, fromOffset);
    EXPECT_TRUE(resumed->ended) << resumed->error.message.toStdString();
    EXPECT_TRUE(resumed->received == pattern(70000).mid(65536));
    EXPECT_EQ(resumed->sizeAtOpen, 70000);
    EXPECT_EQ(resumed->timeAtOpen.size(), 14) << resumed->timeAtOpen.toStdString();
}

TEST_F(Sftp, UploadsAFileAndConfirmsIt)
{
    const QByteArray content = pattern(3 * 1024 * 1024 + 5);
    const auto upload = writeUrl(server->url(QStringLiteral("/up load.bin")), content, withKey());
    EXPECT_TRUE(upload->uploaded && upload->confirmed) << upload->error.message.toStdString();
    EXPECT_TRUE(readFile(server->localPath(QStringLiteral("up load.bin"))) == content);
    // Again, shorter, on the same connection, kept though the server closed what carried the
    // first file's bytes: the new file takes the old one's place whole.
    QTest::qWait(300);
    const qsizetype logStart = server->log().size();
    EXPECT_TRUE(writeUrl(server->url(QStringLiteral("/up load.bin")), "new", withKey())->confirmed);
    EXPECT_EQ(readFile(server->localPath(QStringLiteral("up load.bin"))), "new");
    EXPECT_FALSE(server->log().mid(logStart).contains("Accepted publickey"));

    EXPECT_FALSE(writeUrl(server->url("/missing/x.bin"), "x", withKey())->confirmed);
}

// All on one log-in, the connection kept from each to the next.
TEST_F(Sftp, CreatesRenamesAndDeletesEntriesNamedWithQuotesAndSpaces)
{
    server->dropConnections();
    const qsizetype logStart = server->log().size();
    const QString name = "new \"quoted\" \\ folder";
    const QUrl folder = server->url("/" + name + "/");
    const auto made = writeUrl(folder, {}, withKey());
    EXPECT_TRUE(made->ended) << made->error.message.toStdString();
    ASSERT_TRUE(QFileInfo(server->localPath(name)).isDir());
    const auto again = writeUrl(folder, {}, withKey());
    EXPECT_TRUE(mentions(again->error, "of that name is there"))
        << again->error.message.toStdString();

    StreamError error;
    EXPECT_TRUE(CFURLRenameResource(folder, "renamed folder", withKey(), &error))
        << error.message.toStdString();
    writeFile(server->localPath("renamed folder/inside.txt"), "x");
    EXPECT_FALSE(CFURLDestroyResource(server->url("/renamed folder/"), withKey(), &error));
    EXPECT_TRUE(mentions(error, "not empty")) << error.message.toStdString();
    QFile::remove(server->localPath("renamed folder/inside.txt"));
    EXPECT_TRUE(CFURLDestroyResource(server->url("/renamed folder/"), withKey(), &error))
        << error.message.toStdString();
    EXPECT_FALSE(QFileInfo::exists(server->localPath("renamed folder")));

    writeFile(server->localPath("doomed.txt"), "x");
    EXPECT_TRUE(CFURLDestroyResource(server->url("/doomed.txt"), withKey()));
    EXPECT_FALSE(QFileInfo::exists(server->localPath("doomed.txt")));
    EXPECT_FALSE(CFURLDestroyResource(server->url("/absent.txt"), withKey(), &error));
    EXPECT_TRUE(mentions(error, "No such file"));
    EXPECT_EQ(server->log().mid(logStart).count(QStringLiteral("Accepted publickey")), 1)
        << server->log().mid(logStart).toStdString();
}

TEST_F(Sftp, AnUnknownOrChangedHostKeyStopsBeforeTheLogInUntilTheUserTrustsIt)
{
    const TempSettings settings;
    // By another name than the other tests use, so that no connection of theirs is reused.
    QUrl url = server->url();
    url.setHost("localhost");
    const auto readWith = [&](const QByteArray& knownHosts) {
        knowHosts(knownHosts);
        FtpStreamPrepareConnection(url, withKey()); // sends no secret to an unknown key
        auto outcome = readUrl(url, withKey());
        knowHosts();
        return outcome;
    };

    const qsizetype logStart = server->log().size();
    const auto unknown = readWith({});
    EXPECT_TRUE(unknown->failed);
    EXPECT_EQ(unknown->security.problem, ConnectionSecurity::Problem::Untrusted);
    ASSERT_TRUE(unknown->security.hostKey);
    EXPECT_EQ(unknown->security.hostKey->fingerprint, server->hostKeyFingerprint());
    EXPECT_EQ(unknown->security.hostKey->type, "ssh-ed25519");
    EXPECT_FALSE(server->log().mid(logStart).contains("Accepted publickey"));

    const auto changed = readWith("[localhost]:" + QByteArray::number(server->port()) +
                                  " ssh-ed25519 AAAAC3NzaC1lZDI1NTE5AAAAIODJd7PuIQPgPy+ja"
                                  "n7jxJXJcYJwG5bAsj48Nf2JRI+8\n");
    EXPECT_EQ(changed->security.problem, ConnectionSecurity::Problem::Changed);
    EXPECT_TRUE(mentions(changed->error, server->hostKeyFingerprint()));
    EXPECT_TRUE(mentions(changed->error, "SHA256:J5zHKP8a824rtKARr3JwE0h64/7Bl0HANA0jCaMaHKE"));

    ASSERT_TRUE(TrustedHostKeys::trust(unknown->security.hostPort, *unknown->security.hostKey));
    EXPECT_EQ(static_cast<int>(QFileInfo(TrustedHostKeys::storePath()).permissions()) & 0x0077, 0);
    const auto trusted = readWith({});
    EXPECT_TRUE(trusted->ended) << trusted->error.message.toStdString();
    EXPECT_EQ(trusted->security.state, ConnectionSecurity::State::SshTrustedByUser);
}

// A password log-in needs a user with a password: as root, a throwaway one made for this test.
TEST_F(Sftp, APasswordLogsIn)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "making a throwaway user with a password needs root";
    const QString name = QStringLiteral("tandrel%1").arg(QCoreApplication::applicationPid());
    ASSERT_TRUE(ServerProcess::run("useradd", {"-M", "-d", "/tmp", "-s", "/bin/sh", name}));
    const auto removed = qScopeGuard([&] { ServerProcess::run("userdel", {"-f", name}); });
    ASSERT_TRUE(ServerProcess::run("sh", {"-c", "echo '" + name + ":pass word 1' | chpasswd"}));

    const auto listing = readUrl(QStringLiteral("sftp://127.0.0.1:%1/tmp/").arg(server->port()),
                                 {{P::kCFStreamPropertyFTPUserName, name},
                                  {P::kCFStreamPropertyFTPPassword, "pass word 1"}});
    EXPECT_TRUE(listing->ended) << listing->error.message.toStdString();
    EXPECT_FALSE(listing->received.isEmpty());
}

TEST_F(Sftp, ARefusedLogInSaysWhatWasRefused)
{
    const auto refused = readUrl(server->url(), {{P::kCFStreamPropertyFTPUserName, server->user()},
                                                 {P::kCFStreamPropertyFTPPassword, "wrong"}});
    EXPECT_TRUE(refused->failed);
    EXPECT_EQ(refused->error.message, "Password refused");
    const auto withKeyFile = [](const QString& path) {
        FtpStreamProperties properties = withKey();
        properties[P::SshPrivateKeyFile] = path;
        return readUrl(server->url(), properties)->error;
    };
    EXPECT_TRUE(mentions(withKeyFile(server->root() + "/no-such-key"), "cannot be read"));
    EXPECT_TRUE(mentions(withKeyFile(server->keyFile() + ".pub"), "is a public key"));
    // On a connection of its own: libcurl would reuse one logged in with another key.
    const QString locked = server->keyFileWithPassphrase("secret");
    server->dropConnections();
    EXPECT_TRUE(mentions(withKeyFile(locked), "needs its passphrase"));
}

TEST(SftpNotSsh, AHostThatIsNoSshServerFailsWithinTheTimeOut)
{
    const ShortTimeouts shortTimeouts;
    FtpServer ftp;
    ASSERT_TRUE(ftp.start()) << ftp.log().toStdString();
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    for (const quint16 port : {ftp.port(), silent.serverPort()}) {
        const auto failed = readUrl(
            QStringLiteral("sftp://127.0.0.1:%1/").arg(port),
            {{P::kCFStreamPropertyFTPUserName, "u"}, {P::kCFStreamPropertyFTPPassword, "p"}});
        EXPECT_TRUE(failed->failed) << port;
        EXPECT_TRUE(mentions(failed->error, "not an SSH server"));
    }
}

} // namespace

TEST_F(Sftp, AListingThatPausesForItsReaderLosesNoEntry)
{
    const QString many = server->localPath("many");
    QDir().mkpath(many);
    for (int i = 0; i < 10000; ++i)
        writeFile(many + QStringLiteral("/entry-%1.txt").arg(i), {});
    // A reader slower than the server: libcurl has read the whole folder while it waits.
    StreamRecorder listing(server->url("/many/"));
    listing.onEvent = [](NSStreamEvent event) {
        if (event == NSStreamEventHasBytesAvailable)
            QThread::msleep(20);
        return false;
    };
    listing.start(withKey());
    ASSERT_TRUE(listing.waitUntilDone(30000));
    ASSERT_TRUE(listing.ended) << listing.error.message.toStdString();
    EXPECT_EQ(listing.received.count("\r\n"), 10002); // with "." and ".."
}

// sshd's session ends mid-transfer: libcurl's own words would be "Error in the SSH layer".
TEST_F(Sftp, ATransferTheServerBreaksOffSaysWhere)
{
    writeSparseFile(server->localPath("big.bin"), 64 * 1024 * 1024);
    StreamRecorder download(server->url("/big.bin"));
    download.onEvent = [&](NSStreamEvent event) {
        if (event == NSStreamEventHasBytesAvailable && download.received.isEmpty())
            server->dropConnections();
        return false;
    };
    download.start(withKey());
    ASSERT_TRUE(download.waitUntilDone(30000));
    EXPECT_FALSE(download.ended);
    EXPECT_TRUE(mentions(download.error, "of 67108864 bytes: the connection was lost"));

    StreamRecorder upload(FtpStream::CFWriteStreamCreateWithFTPURL(server->url("/dropped.bin")));
    upload.upload = pattern(32 * 1024 * 1024);
    bool dropped = false;
    upload.onEvent = [&](NSStreamEvent event) {
        if (event == NSStreamEventHasSpaceAvailable && upload.uploadOffset >= 4 * 1024 * 1024 &&
            !std::exchange(dropped, true))
            server->dropConnections();
        return false;
    };
    upload.start(withKey());
    ASSERT_TRUE(upload.waitUntilDone(30000));
    EXPECT_FALSE(upload.confirmed);
    EXPECT_TRUE(upload.error.message.contains("the connection was lost") ||
                upload.error.message.contains("The connection was lost after"))
        << upload.error.message.toStdString();
}

// A server that serves one SFTP session per connection: the bytes past the first go through
// libssh's session too.
TEST_F(Sftp, AnUploadToAServerOfOneSessionPerConnectionIsComplete)
{
    QTemporaryDir taken;
    SshdServer single(
        QStringLiteral("mkdir %1/session && exec /usr/lib/openssh/sftp-server").arg(taken.path()));
    ASSERT_TRUE(single.start()) << single.problem().toStdString();
    knowHosts(single.knownHostsLine().toUtf8() + '\n');
    const auto restore = qScopeGuard([] { knowHosts(); });

    const QByteArray content = pattern(1024 * 1024);
    const auto upload = writeUrl(single.url(QStringLiteral("/one.bin")), content, withKey(single));
    EXPECT_TRUE(upload->confirmed) << upload->error.message.toStdString();
    EXPECT_TRUE(readFile(single.localPath(QStringLiteral("one.bin"))) == content);
}

// A server that cannot write: one whose files stop at 512 KiB (EFBIG, as a full disk), past the
// bytes sent one write at a time, and a read-only one (its refusal is the same as a folder the
// user may not write, as root too).
TEST_F(Sftp, AnUploadTheServerCannotWriteSaysWhyAndRemovesOnlyTheFileItMade)
{
    SshdServer small(QStringLiteral("/bin/sh -c 'trap \"\" XFSZ; ulimit -f 512; "
                                    "exec /usr/lib/openssh/sftp-server'"));
    SshdServer readOnly(QStringLiteral("internal-sftp -R"));
    ASSERT_TRUE(small.start() && readOnly.start()) << small.problem().toStdString();
    knowHosts((small.knownHostsLine() + '\n' + readOnly.knownHostsLine() + '\n').toUtf8());
    const auto restore = qScopeGuard([] { knowHosts(); });

    const QByteArray content = pattern(1024 * 1024);
    writeFile(small.localPath(QStringLiteral("there.bin")), "there before");
    for (const QString& name : {QStringLiteral("new.bin"), QStringLiteral("there.bin")}) {
        const auto full = writeUrl(small.url(QLatin1Char('/') + name), content, withKey(small));
        EXPECT_FALSE(full->confirmed);
        EXPECT_TRUE(mentions(full->error, "could not write the file")) << name.toStdString();
    }
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return !QFileInfo::exists(small.localPath(QStringLiteral("new.bin"))); }, 10000));
    EXPECT_EQ(readFile(small.localPath(QStringLiteral("there.bin"))), "there before");

    const auto refused =
        writeUrl(readOnly.url(QStringLiteral("/x.bin")), content, withKey(readOnly));
    EXPECT_FALSE(refused->confirmed);
    EXPECT_TRUE(mentions(refused->error, "Permission denied"));
    EXPECT_FALSE(QFileInfo::exists(readOnly.localPath(QStringLiteral("x.bin"))));
}

// Given up midway with writes in flight: the file stays as it was, the temporary one goes.
TEST_F(Sftp, AnUploadGivenUpMidwayLeavesTheFileThereAsItWas)
{
    writeFile(server->localPath(QStringLiteral("kept.bin")), "before");
    StreamRecorder upload(FtpStream::CFWriteStreamCreateWithFTPURL(server->url("/kept.bin")));
    upload.upload = pattern(32 * 1024 * 1024);
    upload.onEvent = [&](NSStreamEvent event) {
        if (event != NSStreamEventHasSpaceAvailable || upload.uploadOffset < 4 * 1024 * 1024)
            return false;
        upload.stream()->abort();
        upload.stop();
        return true;
    };
    upload.start(withKey());
    ASSERT_TRUE(upload.waitUntilDone(30000));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return !QFileInfo::exists(server->localPath(".kept.bin.tandrel-upload")); }, 10000));
    EXPECT_EQ(readFile(server->localPath(QStringLiteral("kept.bin"))), "before");
}

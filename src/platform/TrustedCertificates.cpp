#include "platform/TrustedCertificates.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <sys/stat.h>
#include <utility>

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include "platform/LocalizedText.h"
#include "platform/Log.h"
#include "platform/UserDefaults.h"

namespace {

const QLatin1String kCertificates("certificates");
const QLatin1String kTlsHosts("tlsHosts");

QSet<QString>& plainThisRun()
{
    static QSet<QString> hosts;
    return hosts;
}

QString errnoText(int error)
{
    return QString::fromLocal8Bit(strerror(error));
}

// The store's contents, empty when there is none; none when something is there that cannot be
// read as one: broken or cut-short JSON, a part of the wrong kind, a folder, a file not readable.
std::optional<QJsonObject> readStore(const QString& path)
{
    struct stat info = {};
    if (stat(QFile::encodeName(path).constData(), &info) != 0 && errno == ENOENT)
        return QJsonObject();
    QFile file(path);
    if (!S_ISREG(info.st_mode) || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject root = document.object();
    const QJsonValue certificates = root.value(kCertificates);
    const QJsonValue hosts = root.value(kTlsHosts);
    if (!(certificates.isUndefined() || certificates.isObject()) ||
        !(hosts.isUndefined() || hosts.isArray()))
        return std::nullopt;
    return root;
}

// The first copy of an unreadable store kept aside; empty when there is none.
QString readKeptAside(const QString& path)
{
    const QFileInfo store(path);
    const QStringList kept = store.dir().entryList(
        {store.fileName() + QStringLiteral(".corrupt*")},
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    return kept.isEmpty() ? QString() : store.dir().filePath(kept.constFirst());
}

// What the store and its folder were when last read: every transfer asks, a tree of small files
// thousands of times, and reading the store and its folder each time cost more than the transfer.
// Another window replaces the store by a rename, which changes the folder too.
struct Snapshot
{
    QString path;
    struct timespec folderChanged = {};
    ino_t folderInode = 0;
    bool storeThere = false;
    struct timespec storeChanged = {};
    ino_t storeInode = 0;
    off_t storeSize = 0;
    std::optional<QJsonObject> root;
    QString kept;
};

std::mutex snapshotLock;
std::optional<Snapshot> lastRead;

bool sameTime(const struct timespec& a, const struct timespec& b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// The store and the copy kept aside as they are now, read again only when either changed.
std::pair<std::optional<QJsonObject>, QString> current()
{
    Snapshot now;
    now.path = TrustedCertificates::storePath();
    struct stat folder = {};
    struct stat store = {};
    const bool folderThere =
        stat(QFile::encodeName(QFileInfo(now.path).absolutePath()).constData(), &folder) == 0;
    now.storeThere = stat(QFile::encodeName(now.path).constData(), &store) == 0;
    if (folderThere) {
        now.folderChanged = folder.st_mtim;
        now.folderInode = folder.st_ino;
    }
    if (now.storeThere) {
        now.storeChanged = store.st_ctim;
        now.storeInode = store.st_ino;
        now.storeSize = store.st_size;
    }
    std::lock_guard guard(snapshotLock);
    if (folderThere && lastRead && lastRead->path == now.path &&
        sameTime(lastRead->folderChanged, now.folderChanged) &&
        lastRead->folderInode == now.folderInode && lastRead->storeThere == now.storeThere &&
        sameTime(lastRead->storeChanged, now.storeChanged) &&
        lastRead->storeInode == now.storeInode && lastRead->storeSize == now.storeSize)
        return {lastRead->root, lastRead->kept};
    now.root = readStore(now.path);
    now.kept = readKeptAside(now.path);
    std::pair<std::optional<QJsonObject>, QString> answer{now.root, now.kept};
    if (folderThere)
        lastRead = std::move(now);
    else
        lastRead.reset();
    return answer;
}

// Read again at the next call: this process wrote the store or moved it, maybe within the same
// tick of the file system's clock.
void forget()
{
    std::lock_guard guard(snapshotLock);
    lastRead.reset();
}

std::optional<QJsonObject> load()
{
    return current().first;
}

QString keptAside()
{
    return current().second;
}

bool save(const QJsonObject& root, QString* problem)
{
    // Private: the file tells which servers the user trusts.
    const bool saved = UserDefaults::writePrivateFile(TrustedCertificates::storePath(),
                                                      QJsonDocument(root).toJson(), problem);
    forget();
    return saved;
}

// The store to change: its contents, or an empty one once a store that cannot be read has been
// moved aside.
std::optional<QJsonObject> loadForWriting(QString* problem)
{
    if (std::optional<QJsonObject> root = load())
        return root;
    if (!TrustedCertificates::setAsideUnreadable(problem))
        return std::nullopt;
    return QJsonObject();
}

QJsonObject withTlsHost(QJsonObject root, const QString& hostPort)
{
    QJsonArray hosts = root.value(kTlsHosts).toArray();
    if (!hosts.contains(hostPort))
        hosts.append(hostPort);
    root.insert(kTlsHosts, hosts);
    return root;
}

} // namespace

QString TrustedCertificates::storePath()
{
    return QFileInfo(UserDefaults::storePath()).absolutePath() +
           QStringLiteral("/trusted-certificates.json");
}

namespace {

std::optional<TrustedCertificates::Entry> trustedIn(const std::optional<QJsonObject>& root,
                                                    const QString& hostPort)
{
    const QJsonObject entry =
        root.value_or(QJsonObject()).value(kCertificates).toObject().value(hostPort).toObject();
    const QString pin = entry.value(QLatin1String("publicKey")).toString();
    if (!pin.startsWith(QLatin1String("sha256//")))
        return std::nullopt;
    return TrustedCertificates::Entry{entry.value(QLatin1String("fingerprint")).toString(),
                                      pin.toLatin1()};
}

bool usedWithTlsIn(const std::optional<QJsonObject>& root, const QString& kept,
                   const QString& hostPort)
{
    return !root || !kept.isEmpty() || root->value(kTlsHosts).toArray().contains(hostPort);
}

} // namespace

std::optional<TrustedCertificates::Entry> TrustedCertificates::trusted(const QString& hostPort)
{
    return trustedIn(load(), hostPort);
}

TrustedCertificates::HostTrust TrustedCertificates::forHost(const QString& hostPort)
{
    const auto [root, kept] = current();
    return {usedWithTlsIn(root, kept, hostPort), trustedIn(root, hostPort)};
}

bool TrustedCertificates::trust(const QString& hostPort, const CertificateDetails& certificate,
                                QString* problem)
{
    const std::optional<QJsonObject> loaded = loadForWriting(problem);
    if (!loaded)
        return false;
    QJsonObject root = withTlsHost(*loaded, hostPort);
    QJsonObject certificates = root.value(kCertificates).toObject();
    certificates.insert(
        hostPort,
        QJsonObject{{QLatin1String("fingerprint"), certificate.fingerprint},
                    {QLatin1String("publicKey"), QString::fromLatin1(certificate.publicKeyPin)},
                    {QLatin1String("subject"), certificate.subject},
                    {QLatin1String("validUntil"), certificate.validUntil}});
    root.insert(kCertificates, certificates);
    return save(root, problem);
}

bool TrustedCertificates::usedWithTls(const QString& hostPort)
{
    const auto [root, kept] = current();
    return usedWithTlsIn(root, kept, hostPort);
}

bool TrustedCertificates::rememberTls(const QString& hostPort, QString* problem)
{
    const std::optional<QJsonObject> root = load();
    if (root && root->value(kTlsHosts).toArray().contains(hostPort))
        return true;
    const std::optional<QJsonObject> loaded = loadForWriting(problem);
    return loaded && save(withTlsHost(*loaded, hostPort), problem);
}

bool TrustedCertificates::setAsideUnreadable(QString* problem)
{
    if (load())
        return true;
    const QString path = storePath();
    QString aside = path + QStringLiteral(".corrupt");
    for (int n = 1; QFileInfo(aside).exists() || QFileInfo(aside).isSymLink(); ++n)
        aside = path + QStringLiteral(".corrupt.%1").arg(n);
    // rename() moves a folder as well as a file.
    const int moved =
        rename(QFile::encodeName(path).constData(), QFile::encodeName(aside).constData());
    const int error = errno;
    forget();
    if (moved == 0) {
        Log::line(QStringLiteral("Trusted certificates %1 could not be read; kept them as %2")
                      .arg(path, aside));
        return true;
    }
    if (problem)
        *problem =
            //% "%1 could not be read or moved aside: %2"
            localizedText("TrustStoreNotMoved", "%1 could not be read or moved aside: %2")
                .arg(path, errnoText(error));
    return false;
}

QString TrustedCertificates::unreadableNotice()
{
    if (const QString kept = keptAside(); !kept.isEmpty())
        //% "The trusted certificates could not be read and were kept as %1; "
        //% "until that copy is removed, Tandrel asks before any log-in without TLS"
        return localizedText("TrustStoreKeptAside",
                             "The trusted certificates could not be read and were kept as %1; "
                             "until that copy is removed, Tandrel asks before any log-in "
                             "without TLS")
            .arg(kept);
    if (!load())
        //% "The trusted certificates in %1 cannot be read; Tandrel asks "
        //% "before any log-in without TLS"
        return localizedText("TrustStoreUnreadable",
                             "The trusted certificates in %1 cannot be read; Tandrel asks "
                             "before any log-in without TLS")
            .arg(storePath());
    return QString();
}

void TrustedCertificates::allowPlainThisRun(const QString& hostPort)
{
    plainThisRun().insert(hostPort);
}

bool TrustedCertificates::plainAllowedThisRun(const QString& hostPort)
{
    return plainThisRun().contains(hostPort);
}

#include "platform/TrustedHostKeys.h"

#include <pwd.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include "platform/UserDefaults.h"

namespace {

QString& knownHostsOverride()
{
    static QString path;
    return path;
}

// The file's lines, without the host entry's own when skip is given.
QList<QByteArray> lines(const QString& skip = QString())
{
    QFile file(TrustedHostKeys::storePath());
    QList<QByteArray> kept;
    if (!file.open(QIODevice::ReadOnly))
        return kept;
    for (const QByteArray& line : file.readAll().split('\n'))
        if (!line.trimmed().isEmpty() &&
            (skip.isEmpty() || line.split(' ').value(0) != skip.toUtf8()))
            kept.append(line.trimmed());
    return kept;
}

} // namespace

QString TrustedHostKeys::storePath()
{
    return QFileInfo(UserDefaults::storePath()).absolutePath() + QStringLiteral("/known_hosts");
}

void TrustedHostKeys::setSshKnownHostsPath(const QString& path)
{
    knownHostsOverride() = path;
}

QString TrustedHostKeys::sshKnownHostsPath()
{
    if (!knownHostsOverride().isEmpty())
        return knownHostsOverride();
    const passwd* record = getpwuid(getuid());
    const QString home =
        record && record->pw_dir ? QFile::decodeName(record->pw_dir) : qEnvironmentVariable("HOME");
    return home + QStringLiteral("/.ssh/known_hosts");
}

QString TrustedHostKeys::hostEntry(const QString& host, int port)
{
    return port == 22 ? host : QStringLiteral("[%1]:%2").arg(host).arg(port);
}

std::optional<QByteArray> TrustedHostKeys::trusted(const QString& hostEntry)
{
    for (const QByteArray& line : lines()) {
        const QList<QByteArray> words = line.split(' ');
        if (words.size() >= 3 && words[0] == hostEntry.toUtf8())
            return QByteArray::fromBase64(words[2]);
    }
    return std::nullopt;
}

bool TrustedHostKeys::trust(const QString& hostEntry, const HostKeyDetails& key, QString* problem)
{
    QList<QByteArray> kept = lines(hostEntry);
    kept.append(hostEntry.toUtf8() + ' ' + key.type.toUtf8() + ' ' + key.blob.toBase64());
    // Private, like the trusted certificates.
    return UserDefaults::writePrivateFile(storePath(), kept.join('\n') + '\n', problem);
}

QString TrustedHostKeys::keyType(const QByteArray& blob)
{
    // RFC 4253, 6.6: the blob begins with the key type as an SSH string (length, then bytes).
    if (blob.size() < 4)
        return QString();
    const quint32 length = qFromBigEndian<quint32>(blob.constData());
    if (length > 64 || length > static_cast<quint32>(blob.size() - 4))
        return QString();
    return QString::fromLatin1(blob.mid(4, static_cast<qsizetype>(length)));
}

QString TrustedHostKeys::fingerprint(const QByteArray& blob)
{
    return QStringLiteral("SHA256:") +
           QString::fromLatin1(QCryptographicHash::hash(blob, QCryptographicHash::Sha256)
                                   .toBase64(QByteArray::OmitTrailingEquals));
}

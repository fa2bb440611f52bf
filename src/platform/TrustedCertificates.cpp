#include "platform/TrustedCertificates.h"

#include <sys/stat.h>

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QSet>

#include "platform/UserDefaults.h"

namespace {

QSet<QString>& plainThisRun()
{
    static QSet<QString> hosts;
    return hosts;
}

QJsonObject load()
{
    QFile file(TrustedCertificates::storePath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

bool save(const QJsonObject& root)
{
    const QString path = TrustedCertificates::storePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // Private before the first byte: the file tells which servers the user trusts.
    if (fchmod(file.handle(), S_IRUSR | S_IWUSR) != 0) {
        file.cancelWriting();
        return false;
    }
    file.write(QJsonDocument(root).toJson());
    return file.commit();
}

QJsonObject withTlsHost(QJsonObject root, const QString& hostPort)
{
    QJsonArray hosts = root.value(QLatin1String("tlsHosts")).toArray();
    if (!hosts.contains(hostPort))
        hosts.append(hostPort);
    root.insert(QLatin1String("tlsHosts"), hosts);
    return root;
}

} // namespace

QString TrustedCertificates::storePath()
{
    return QFileInfo(UserDefaults::storePath()).absolutePath() +
           QStringLiteral("/trusted-certificates.json");
}

std::optional<TrustedCertificates::Entry> TrustedCertificates::trusted(const QString& hostPort)
{
    const QJsonObject entry =
        load().value(QLatin1String("certificates")).toObject().value(hostPort).toObject();
    const QString pin = entry.value(QLatin1String("publicKey")).toString();
    if (!pin.startsWith(QLatin1String("sha256//")))
        return std::nullopt;
    return Entry{entry.value(QLatin1String("fingerprint")).toString(), pin.toLatin1()};
}

bool TrustedCertificates::trust(const QString& hostPort, const CertificateDetails& certificate)
{
    QJsonObject root = withTlsHost(load(), hostPort);
    QJsonObject certificates = root.value(QLatin1String("certificates")).toObject();
    certificates.insert(
        hostPort,
        QJsonObject{{QLatin1String("fingerprint"), certificate.fingerprint},
                    {QLatin1String("publicKey"), QString::fromLatin1(certificate.publicKeyPin)},
                    {QLatin1String("subject"), certificate.subject},
                    {QLatin1String("validUntil"), certificate.validUntil}});
    root.insert(QLatin1String("certificates"), certificates);
    return save(root);
}

bool TrustedCertificates::usedWithTls(const QString& hostPort)
{
    return load().value(QLatin1String("tlsHosts")).toArray().contains(hostPort);
}

bool TrustedCertificates::rememberTls(const QString& hostPort)
{
    if (usedWithTls(hostPort))
        return true;
    return save(withTlsHost(load(), hostPort));
}

void TrustedCertificates::allowPlainThisRun(const QString& hostPort)
{
    plainThisRun().insert(hostPort);
}

bool TrustedCertificates::plainAllowedThisRun(const QString& hostPort)
{
    return plainThisRun().contains(hostPort);
}

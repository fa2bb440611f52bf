#include "TestCertificates.h"

#include <QProcess>

namespace {

// P-256 keys: made in milliseconds, unlike RSA.
const QStringList kNewKey = {
    QStringLiteral("-newkey"), QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
    QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes")};

} // namespace

TestCertificates::TestCertificates()
{
    run(QStringList{QStringLiteral("req"), QStringLiteral("-x509")} + kNewKey +
        QStringList{QStringLiteral("-keyout"), path(QStringLiteral("ca.key")),
                    QStringLiteral("-out"), authority(), QStringLiteral("-days"),
                    QStringLiteral("2"), QStringLiteral("-subj"),
                    QStringLiteral("/CN=Tandrel Test Authority")});
}

QString TestCertificates::authority() const
{
    return path(QStringLiteral("ca.pem"));
}

TestCertificates::Pair TestCertificates::issued(const QString& name, const QString& subjectAltName,
                                                int days)
{
    const Pair pair{path(name + QStringLiteral(".pem")), path(name + QStringLiteral(".key"))};
    const QString request = path(name + QStringLiteral(".csr"));
    const QString extensions = path(name + QStringLiteral(".ext"));
    QFile file(extensions);
    if (file.open(QIODevice::WriteOnly))
        file.write(QStringLiteral("subjectAltName=%1\n").arg(subjectAltName).toUtf8());
    file.close();
    run(QStringList{QStringLiteral("req"), QStringLiteral("-new")} + kNewKey +
        QStringList{QStringLiteral("-keyout"), pair.key, QStringLiteral("-out"), request,
                    QStringLiteral("-subj"), QStringLiteral("/CN=") + name});
    // A negative day count makes a certificate that ended before it is used.
    run({QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"), request,
         QStringLiteral("-CA"), authority(), QStringLiteral("-CAkey"),
         path(QStringLiteral("ca.key")), QStringLiteral("-CAcreateserial"), QStringLiteral("-days"),
         QString::number(days), QStringLiteral("-extfile"), extensions, QStringLiteral("-out"),
         pair.certificate});
    return pair;
}

TestCertificates::Pair TestCertificates::selfSigned(const QString& name)
{
    const Pair pair{path(name + QStringLiteral(".pem")), path(name + QStringLiteral(".key"))};
    run(QStringList{QStringLiteral("req"), QStringLiteral("-x509")} + kNewKey +
        QStringList{QStringLiteral("-keyout"), pair.key, QStringLiteral("-out"), pair.certificate,
                    QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"),
                    QStringLiteral("/CN=") + name, QStringLiteral("-addext"),
                    QStringLiteral("subjectAltName=IP:127.0.0.1")});
    return pair;
}

QString TestCertificates::fingerprint(const QString& certificate)
{
    QByteArray output;
    run({QStringLiteral("x509"), QStringLiteral("-noout"), QStringLiteral("-fingerprint"),
         QStringLiteral("-sha256"), QStringLiteral("-in"), certificate},
        &output);
    // "sha256 Fingerprint=AB:CD:..."
    return QString::fromLatin1(output.mid(output.indexOf('=') + 1).trimmed());
}

bool TestCertificates::run(const QStringList& arguments, QByteArray* output)
{
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"), arguments);
    if (!openssl.waitForFinished(30000) || openssl.exitStatus() != QProcess::NormalExit ||
        openssl.exitCode() != 0) {
        if (failure.isEmpty())
            failure = QStringLiteral("openssl %1 failed: %2")
                          .arg(arguments.join(QLatin1Char(' ')),
                               QString::fromLocal8Bit(openssl.readAllStandardError()));
        return false;
    }
    if (output)
        *output = openssl.readAllStandardOutput();
    return true;
}

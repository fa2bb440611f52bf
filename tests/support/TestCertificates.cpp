#include "TestCertificates.h"

#include <QProcess>

#include "TestFiles.h"

namespace {

// P-256 keys: made in milliseconds, unlike RSA.
const QString kNewKey = QStringLiteral("-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes");

// The words of an openssl command line; the temporary folder's paths hold no spaces.
QStringList words(const QString& line)
{
    return line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

} // namespace

TestCertificates::TestCertificates()
{
    run(words(QStringLiteral("req -x509 %1 -keyout %2 -out %3 -days 2 -subj")
                  .arg(kNewKey, path(QStringLiteral("ca.key")), authority())) +
        QStringList{QStringLiteral("/CN=Tandrel Test Authority")});
}

QString TestCertificates::authority() const
{
    return path(QStringLiteral("ca.pem"));
}

TestCertificates::Pair TestCertificates::issued(const QString& name, const QString& subjectAltName,
                                                int days)
{
    const Request r = request(name, subjectAltName);
    // A negative day count makes a certificate that ended before it is used.
    run(words(QStringLiteral("x509 -req -in %1 -CA %2 -CAkey %3 -CAcreateserial -days %4 "
                             "-extfile %5 -out %6")
                  .arg(r.csr, authority(), path(QStringLiteral("ca.key")), QString::number(days),
                       r.extensions, r.pair.certificate)));
    return r.pair;
}

TestCertificates::Pair TestCertificates::issuedLater(const QString& name,
                                                     const QString& subjectAltName)
{
    const Request r = request(name, subjectAltName);
    // Only "openssl ca" sets a start date; it keeps a database of what it issued.
    const QString config = path(QStringLiteral("ca.cnf"));
    const QString database = path(QStringLiteral("index.txt"));
    writeFile(database, {});
    writeFile(config,
              QStringLiteral("[ca]\ndefault_ca=test\n[test]\ndatabase=%1\nnew_certs_dir=%2\n"
                             "rand_serial=yes\ndefault_md=sha256\npolicy=any\n[any]\n"
                             "commonName=supplied\n")
                  .arg(database, folder.path())
                  .toUtf8());
    run(words(QStringLiteral("ca -batch -notext -config %1 -cert %2 -keyfile %3 -in %4 -out %5 "
                             "-startdate 20990101000000Z -enddate 21000101000000Z -extfile %6")
                  .arg(config, authority(), path(QStringLiteral("ca.key")), r.csr,
                       r.pair.certificate, r.extensions)));
    return r.pair;
}

TestCertificates::Pair TestCertificates::selfSigned(const QString& name,
                                                    const QString& subjectAltName, int days)
{
    const Request r = request(name, subjectAltName);
    // Signed with its own key; "x509 -req", unlike "req -x509", takes a negative day count.
    run(words(
        QStringLiteral("x509 -req -in %1 -signkey %2 -days %3 -extfile %4 -out %5")
            .arg(r.csr, r.pair.key, QString::number(days), r.extensions, r.pair.certificate)));
    return r.pair;
}

TestCertificates::Request TestCertificates::request(const QString& name,
                                                    const QString& subjectAltName)
{
    const Request r{{path(name + QStringLiteral(".pem")), path(name + QStringLiteral(".key"))},
                    path(name + QStringLiteral(".csr")),
                    path(name + QStringLiteral(".ext"))};
    run(words(QStringLiteral("req -new %1 -keyout %2 -out %3 -subj /CN=%4")
                  .arg(kNewKey, r.pair.key, r.csr, name)));
    writeFile(r.extensions, QStringLiteral("subjectAltName=%1\n").arg(subjectAltName).toUtf8());
    return r;
}

QString TestCertificates::fingerprint(const QString& certificate)
{
    QByteArray output;
    run(words(QStringLiteral("x509 -noout -fingerprint -sha256 -in %1").arg(certificate)), &output);
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

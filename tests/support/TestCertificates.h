#pragma once

#include <QString>
#include <QTemporaryDir>

// Certificates made for one test with the openssl command: a test authority, server
// certificates it issues (valid, expired, for another name) and a self-signed one.
class TestCertificates final
{
public:
    struct Pair
    {
        QString certificate; // PEM files
        QString key;
    };

    TestCertificates();

    bool ok() const { return failure.isEmpty(); }
    QString problem() const { return failure; }

    // The authority's certificate, for libcurl to trust.
    QString authority() const;
    // Issued by the authority for subjectAltName (e.g. "IP:127.0.0.1"); days < 0: expired.
    Pair issued(const QString& name, const QString& subjectAltName, int days = 2);
    // Issued by the authority, valid only from 2099 on: not valid yet.
    Pair issuedLater(const QString& name, const QString& subjectAltName);
    // Signed with its own key; days < 0: expired.
    Pair selfSigned(const QString& name,
                    const QString& subjectAltName = QStringLiteral("IP:127.0.0.1"), int days = 2);

    // The SHA-256 fingerprint as `openssl x509 -noout -fingerprint -sha256` prints it.
    QString fingerprint(const QString& certificate);

    Q_DISABLE_COPY_MOVE(TestCertificates)

private:
    bool run(const QStringList& arguments, QByteArray* output = nullptr);
    // A new key, its signing request and the extension file naming subjectAltName: all a
    // certificate needs but its signature.
    struct Request
    {
        Pair pair;
        QString csr;
        QString extensions;
    };
    Request request(const QString& name, const QString& subjectAltName);
    QString path(const QString& name) const { return folder.filePath(name); }

    QTemporaryDir folder;
    QString failure;
};

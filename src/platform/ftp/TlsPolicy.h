#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include <QByteArray>
#include <QString>

#include <curl/curl.h>

#include "platform/ftp/ConnectionSecurity.h"
#include "platform/ftp/FtpStream.h"

// TLS for one transfer: chooses libcurl's TLS options from the transfer's Encryption and the
// trust store, watches the handshakes of its control and data connections, and afterwards
// tells what protected the connection or why TLS failed.
//
// libcurl runs the OpenSSL callbacks installed here inside the transfer, on whatever thread
// drives it; they only record plain data under a lock, keyed by an id rather than this
// object's address, so a callback that comes late (a cached connection) finds nothing to touch.
class TlsPolicy final
{
public:
    // What the choice of options reads of the main thread's state (the authorities file, the
    // trust store, the user's answers this run), taken when a transfer starts and handed over
    // with it: the curl thread reads none of that state itself.
    struct Trust
    {
        QString caFile;                // the authorities to verify against; empty: the system's
        std::optional<QByteArray> pin; // the user's pinned key for the host
        bool upgraded = false;         // if-available made required: used with TLS before
    };
    // The trust for a transfer to url (its host and port) with this encryption. Main thread.
    static Trust trustFor(const QByteArray& url, Encryption mode);

    // Sets the TLS options on a configured easy handle whose URL is url (set again as
    // ftps:// for implicit TLS); upload: its data connection only sends. Answers an error when
    // the options cannot be honoured.
    static std::unique_ptr<TlsPolicy> configure(CURL* easy, Encryption mode, const QByteArray& url,
                                                bool upload, const Trust& trust,
                                                std::optional<StreamError>* problem);
    ~TlsPolicy();

    // A plain text for a TLS failure, with libcurl's code; none for other failures.
    std::optional<StreamError> describe(CURLcode code);
    // What protected the transfer so far, and the problem of its failure, if TLS caused it.
    ConnectionSecurity security() const;

    // See FtpStream::setCertificateAuthorities.
    static void setCertificateAuthorities(const QString& pemFile);

    Q_DISABLE_COPY_MOVE(TlsPolicy)

private:
    TlsPolicy() = default;

    uint64_t id = 0;
    Encryption mode = Encryption::IfAvailable;
    bool upgraded = false; // if-available made required: the host was used with TLS before
    bool pinned = false;   // the user's pinned key decides, not the authorities
    QString hostPort;
    CURLcode failure = CURLE_OK;
};

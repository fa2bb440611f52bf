#include "platform/Log.h"
#include "platform/RemoteName.h"
#include "platform/ftp/CurlMulti.h"
#include "platform/ftp/CurlOptions.h"
#include "platform/ftp/FtpStream.h"
#include "platform/ftp/FtpTarget.h"

namespace {

bool failed(const QString& what, StreamError* out, const StreamError& error)
{
    Log::line(QStringLiteral("%1 failed: %2").arg(what, error.message));
    if (out)
        *out = error;
    return false;
}

// Runs one command transfer in the parent folder of url on the curl thread while the caller
// waits with the event loop running, user input and stream events held, bounded by the connect
// and the overall time-outs, and not at all once the application quits.
bool runInParent(const QString& what, CurlTransfer::Kind kind, const QUrl& url,
                 const FtpStreamProperties& properties, const QByteArray& renameTo,
                 StreamError* error)
{
    const FtpTarget target(url);
    if (!target.isValid() || target.name().isEmpty())
        return failed(what, error,
                      CurlOptions::localError(
                          CURLE_URL_MALFORMAT,
                          target.isValid() ? QStringLiteral("The URL names no file or folder")
                                           : target.problem()));

    CurlMulti& multi = CurlMulti::instance();
    const uint64_t id = multi.newId();
    std::optional<CurlNote> outcome;
    multi.listen(id, [&outcome](const CurlNote& note) {
        if (note.kind == CurlNote::Kind::Finished)
            outcome = note;
    });
    const auto transfer = std::make_shared<CurlTransfer>(id, kind, url, properties);
    transfer->renameTo = renameTo;
    multi.start(transfer);
    // libcurl's own time-out ends the transfer first; this bound only backs it up.
    const auto limit = CurlOptions::timeouts().finish;
    /* BLOCKING: runs the event loop, user input held, until the answer; up to finish + 1 s */
    multi.waitFor([&outcome] { return outcome.has_value(); },
                  CurlMulti::Clock::now() + limit + std::chrono::seconds(1));
    multi.forget(id);
    if (!outcome) {
        transfer->stopRequested = true;
        multi.stop(id);
        return failed(
            what, error,
            CurlOptions::localError(
                CURLE_OPERATION_TIMEDOUT,
                QStringLiteral("The server did not answer within %1 ms").arg(limit.count())));
    }
    return outcome->result == CURLE_OK ? true : failed(what, error, outcome->error);
}

} // namespace

// DELE, or RMD for a folder URL, sent as a POSTQUOTE command after the CWD into the parent folder
// (a QUOTE command would run before that CWD, in the wrong folder).
bool CFURLDestroyResource(const QUrl& url, const FtpStreamProperties& properties,
                          StreamError* error)
{
    return runInParent(QStringLiteral("Delete"), CurlTransfer::Kind::Delete, url, properties, {},
                       error);
}

// RNFR and RNTO, sent the same way in the parent folder.
bool CFURLRenameResource(const QUrl& url, const QByteArray& newName,
                         const FtpStreamProperties& properties, StreamError* error)
{
    const QString what = QStringLiteral("Rename");
    // The new name goes into a command line and must name one entry of the same folder.
    if (const QString why = RemoteName::whyNotAddressable(newName); !why.isEmpty())
        return failed(what, error, CurlOptions::localError(CURLE_URL_MALFORMAT, why));
    return runInParent(what, CurlTransfer::Kind::Rename, url, properties, newName, error);
}

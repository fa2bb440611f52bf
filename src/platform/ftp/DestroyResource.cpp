#include "platform/Log.h"
#include "platform/ftp/CurlMulti.h"
#include "platform/ftp/CurlOptions.h"
#include "platform/ftp/FtpStream.h"
#include "platform/ftp/FtpTarget.h"

namespace {

bool failed(StreamError* out, const StreamError& error)
{
    Log::line(QStringLiteral("Delete failed: %1").arg(error.message));
    if (out)
        *out = error;
    return false;
}

} // namespace

// DELE, or RMD for a folder URL, sent as a POSTQUOTE command after the CWD into the parent folder
// (a QUOTE command would run before that CWD, in the wrong folder). The curl thread runs it;
// the caller waits with the event loop running, user input and stream events held, bounded by
// the connect and the overall time-outs, and not at all once the application quits.
bool CFURLDestroyResource(const QUrl& url, const FtpStreamProperties& properties,
                          StreamError* error)
{
    const FtpTarget target(url);
    if (!target.isValid() || target.name().isEmpty())
        return failed(
            error, CurlOptions::localError(CURLE_URL_MALFORMAT,
                                           target.isValid()
                                               ? QStringLiteral("The URL names no file or folder")
                                               : target.problem()));

    CurlMulti& multi = CurlMulti::instance();
    const uint64_t id = multi.newId();
    std::optional<CurlNote> outcome;
    multi.listen(id, [&outcome](const CurlNote& note) {
        if (note.kind == CurlNote::Kind::Finished)
            outcome = note;
    });
    const auto transfer =
        std::make_shared<CurlTransfer>(id, CurlTransfer::Kind::Delete, url, properties);
    multi.start(transfer);
    // libcurl's own time-out ends the transfer first; this bound only backs it up.
    const auto limit = CurlOptions::timeouts().finish;
    multi.waitFor([&outcome] { return outcome.has_value(); },
                  CurlMulti::Clock::now() + limit + std::chrono::seconds(1));
    multi.forget(id);
    if (!outcome) {
        transfer->stopRequested = true;
        multi.stop(id);
        return failed(
            error,
            CurlOptions::localError(
                CURLE_OPERATION_TIMEDOUT,
                QStringLiteral("The server did not answer within %1 ms").arg(limit.count())));
    }
    return outcome->result == CURLE_OK ? true : failed(error, outcome->error);
}

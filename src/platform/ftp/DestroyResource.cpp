#include "platform/Log.h"
#include "platform/ftp/CurlOptions.h"
#include "platform/ftp/FtpStream.h"
#include "platform/ftp/FtpTarget.h"
#include "platform/ftp/TlsPolicy.h"

namespace {

bool failed(StreamError* out, const StreamError& error)
{
    Log::line(QStringLiteral("Delete failed: %1").arg(error.message));
    if (out)
        *out = error;
    return false;
}

} // namespace

/* BLOCKING */
// One easy handle run to its end on the calling thread: DELE, or RMD for a folder URL, sent as
// a POSTQUOTE command after the CWD into the parent folder (a QUOTE command would run before
// that CWD, in the wrong folder). Bounded by the connect and the overall time-outs.
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

    CurlOptions::globalInit();
    CURL* easy = curl_easy_init();
    if (!easy)
        return failed(error, CurlOptions::localError(CURLE_OUT_OF_MEMORY,
                                                     QStringLiteral("No transfer handle")));
    char errorBuffer[CURL_ERROR_SIZE] = {};
    curl_slist* commands = nullptr;
    std::optional<StreamError> problem = CurlOptions::apply(easy, properties, target, errorBuffer);
    if (!problem) {
        const QByteArray command = (target.isFolder() ? "RMD " : "DELE ") + target.name();
        commands = curl_slist_append(nullptr, command.constData());
        curl_easy_setopt(easy, CURLOPT_URL, target.parentUrl().constData());
        curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
        curl_easy_setopt(easy, CURLOPT_POSTQUOTE, commands);
        const auto tls = TlsPolicy::configure(easy, properties, target.parentUrl(), &problem);
        curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS,
                         static_cast<long>(CurlOptions::timeouts().finish.count()));
        const CURLcode result = problem ? CURLE_OK : curl_easy_perform(easy);
        if (result != CURLE_OK)
            problem =
                tls->describe(result).value_or(CurlOptions::errorFor(easy, result, errorBuffer));
    }
    curl_easy_cleanup(easy);
    curl_slist_free_all(commands);
    return problem ? failed(error, *problem) : true;
}

#include "platform/Log.h"
#include "platform/ftp/CurlOptions.h"
#include "platform/ftp/FtpStream.h"
#include "platform/ftp/FtpTarget.h"

/* BLOCKING */
// One easy handle run to its end on the calling thread: DELE, or RMD for a folder URL, sent as
// a POSTQUOTE command after the CWD into the parent folder (a QUOTE command would run before
// that CWD, in the wrong folder). Bounded by the connect and the overall time-outs.
bool CFURLDestroyResource(const QUrl& url, const FtpStreamProperties& properties)
{
    const FtpTarget target(url);
    if (!target.isValid() || target.name().isEmpty()) {
        Log::line(QStringLiteral("Delete refused: %1")
                      .arg(target.isValid() ? QStringLiteral("the URL names no file or folder")
                                            : target.problem()));
        return false;
    }

    CurlOptions::globalInit();
    CURL* easy = curl_easy_init();
    if (!easy)
        return false;
    char errorBuffer[CURL_ERROR_SIZE] = {};
    curl_slist* commands = nullptr;
    bool deleted = false;
    if (const auto problem = CurlOptions::apply(easy, properties, target, errorBuffer)) {
        Log::line(QStringLiteral("Delete refused: %1").arg(problem->message));
    } else {
        const QByteArray command = (target.isFolder() ? "RMD " : "DELE ") + target.name();
        commands = curl_slist_append(nullptr, command.constData());
        curl_easy_setopt(easy, CURLOPT_URL, target.parentUrl().constData());
        curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
        curl_easy_setopt(easy, CURLOPT_POSTQUOTE, commands);
        curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS,
                         static_cast<long>(CurlOptions::timeouts().finish.count()));
        const CURLcode result = curl_easy_perform(easy);
        deleted = result == CURLE_OK;
        if (!deleted)
            Log::line(QStringLiteral("Delete failed: %1")
                          .arg(CurlOptions::errorFor(easy, result, errorBuffer).message));
    }
    curl_easy_cleanup(easy);
    curl_slist_free_all(commands);
    return deleted;
}

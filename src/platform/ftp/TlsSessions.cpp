#include "platform/ftp/TlsSessions.h"

#include <memory>
#include <mutex>
#include <vector>

#include <QtGlobal>

namespace TlsSessions {

namespace {

bool singleUse(const SSL_SESSION* session)
{
    return SSL_SESSION_get_protocol_version(session) == TLS1_3_VERSION;
}

// The sessions one control connection has been given, for its data connections.
class Pool final
{
public:
    Pool() = default;
    ~Pool()
    {
        for (SSL_SESSION* session : fresh)
            SSL_SESSION_free(session);
        SSL_SESSION_free(last);
    }

    // Takes over the reference of a session the server just gave.
    void add(SSL_SESSION* session)
    {
        const std::lock_guard<std::mutex> guard(lock);
        // A TLS 1.2 session stays valid: only the newest is kept.
        if (!singleUse(session)) {
            for (SSL_SESSION* older : fresh)
                SSL_SESSION_free(older);
            fresh.clear();
        }
        fresh.push_back(session);
    }

    // A reference to the session a data connection offers, or none. spent: nothing fresh is
    // left for the next data connection.
    SSL_SESSION* take(bool* spent)
    {
        const std::lock_guard<std::mutex> guard(lock);
        if (!fresh.empty()) {
            SSL_SESSION* newest = fresh.back();
            if (singleUse(newest))
                fresh.pop_back();
            else
                SSL_SESSION_up_ref(newest);
            SSL_SESSION_free(last);
            last = newest;
        }
        // With no fresh ticket left, the used one is still worth offering: servers that do
        // not require single use (vsftpd) take it.
        *spent = fresh.empty() && last && singleUse(last);
        if (last)
            SSL_SESSION_up_ref(last);
        return last;
    }

    Q_DISABLE_COPY_MOVE(Pool)

private:
    std::mutex lock;
    std::vector<SSL_SESSION*> fresh; // not offered yet, newest last
    SSL_SESSION* last = nullptr;     // the one offered last
};

// A data connection's context: its control connection's pool and the session it offers.
struct DataLink
{
    std::shared_ptr<Pool> pool;
    SSL_SESSION* offer = nullptr;
};

void freeControlPool(void*, void* pointer, CRYPTO_EX_DATA*, int, long, void*)
{
    delete static_cast<std::shared_ptr<Pool>*>(pointer);
}

void freeDataLink(void*, void* pointer, CRYPTO_EX_DATA*, int, long, void*)
{
    auto* link = static_cast<DataLink*>(pointer);
    if (link)
        SSL_SESSION_free(link->offer);
    delete link;
}

// A control connection's pool, on its SSL object.
int poolIndex()
{
    static const int index = SSL_get_ex_new_index(0, nullptr, nullptr, nullptr, &freeControlPool);
    return index;
}

// A data connection's link, on its SSL_CTX (libcurl makes one per connection).
int linkIndex()
{
    static const int index = SSL_CTX_get_ex_new_index(0, nullptr, nullptr, nullptr, &freeDataLink);
    return index;
}

std::shared_ptr<Pool> poolOf(const SSL* ssl)
{
    if (const auto* own = static_cast<std::shared_ptr<Pool>*>(SSL_get_ex_data(ssl, poolIndex())))
        return *own;
    if (const auto* link =
            static_cast<DataLink*>(SSL_CTX_get_ex_data(SSL_get_SSL_CTX(ssl), linkIndex())))
        return link->pool;
    return nullptr;
}

// OpenSSL hands over each session a server gives (TLS 1.3: each ticket): it goes to the pool
// of the control connection it belongs to.
int newSession(SSL* ssl, SSL_SESSION* session)
{
    const std::shared_ptr<Pool> pool = poolOf(ssl);
    if (!pool)
        return 0;
    pool->add(session);
    return 1;
}

} // namespace

void prepare(CURL* easy, SSL_CTX* context, bool upload)
{
    // Replaces libcurl's own callback, which would fill its per-host cache; OpenSSL calls it
    // only for a client-side cache, kept outside OpenSSL.
    SSL_CTX_set_session_cache_mode(context, SSL_SESS_CACHE_CLIENT | SSL_SESS_CACHE_NO_INTERNAL);
    SSL_CTX_sess_set_new_cb(context, &newSession);
    // While a data connection is set up, the transfer's control connection is up already.
    curl_tlssessioninfo* info = nullptr;
    if (curl_easy_getinfo(easy, CURLINFO_TLS_SSL_PTR, &info) != CURLE_OK || !info ||
        info->backend != CURLSSLBACKEND_OPENSSL || !info->internals)
        return;
    auto* control = static_cast<SSL*>(info->internals);
    const auto* own = static_cast<std::shared_ptr<Pool>*>(SSL_get_ex_data(control, poolIndex()));
    if (!SSL_is_init_finished(control) || !own)
        return;
    auto* link = new DataLink{*own, nullptr};
    bool spent = false;
    link->offer = link->pool->take(&spent);
    SSL_CTX_set_ex_data(context, linkIndex(), link);
    if (upload && spent)
        curl_easy_setopt(easy, CURLOPT_FORBID_REUSE, 1L);
}

void handshakeStarts(SSL* ssl)
{
    if (const auto* link =
            static_cast<DataLink*>(SSL_CTX_get_ex_data(SSL_get_SSL_CTX(ssl), linkIndex()))) {
        if (link->offer)
            SSL_set_session(ssl, link->offer);
        return;
    }
    if (!SSL_get_ex_data(ssl, poolIndex()))
        SSL_set_ex_data(ssl, poolIndex(), new std::shared_ptr<Pool>(std::make_shared<Pool>()));
}

} // namespace TlsSessions

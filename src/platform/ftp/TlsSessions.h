#pragma once

#include <openssl/ssl.h>

#include <curl/curl.h>

// Which TLS session each connection offers. FTP servers that check session reuse (ProFTPD,
// vsftpd) accept a data connection only when it resumes its own control connection's session,
// so the sessions are kept per control connection, never in one cache per host: a second
// control connection to the same host (the delete's) must not hand its session to the first
// one's data connections. TLS 1.3 tickets are offered once each (RFC 8446, C.4; ProFTPD refuses
// a ticket used before); a data connection that reads brings the next ticket, an upload's data
// connection brings none.
//
// libcurl's own session cache is off for these handles (CURLOPT_SSL_SESSIONID_CACHE 0); the
// OpenSSL callbacks below run on the thread that drives libcurl.
namespace TlsSessions {

// From the SSL_CTX callback of a new connection of the transfer on easy. A data connection
// (its control connection's handshake is done) takes its session to offer now. An upload that
// takes its control connection's last unused TLS 1.3 ticket closes that connection when it is
// done, so that the next transfer logs in afresh rather than offer a used ticket.
void prepare(CURL* easy, SSL_CTX* context, bool upload);

// From the info callback: a handshake starts on ssl. A data connection gets its session set
// here (before the ClientHello is made); a control connection gets a pool of its own.
void handshakeStarts(SSL* ssl);

} // namespace TlsSessions

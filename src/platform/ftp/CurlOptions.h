#pragma once

#include <chrono>
#include <optional>

#include <curl/curl.h>

#include "platform/ftp/FtpStream.h"

class FtpTarget;

// What every FTP transfer shares, the streams and the delete alike: login, passive or active
// mode, proxy, time-outs, and how a libcurl result becomes a StreamError.
namespace CurlOptions {

struct Timeouts
{
    std::chrono::milliseconds connect;  // the TCP connection (to the server or the proxy) is up
    std::chrono::milliseconds response; // each server reply, the greeting included
    std::chrono::milliseconds stall;    // no byte moves while Tandrel is reading or writing
    std::chrono::milliseconds finish;   // an upload's close waits for the verdict; the whole delete
};

// 30 s, 60 s, 60 s and 30 s, times the scale (TANDREL_FTP_TIMEOUT_SCALE or setScale()).
Timeouts timeouts();
void setScale(double scale);

// curl_global_init, once.
void globalInit();

// Sets the options shared by all transfers on a fresh easy handle: no signals, the error
// buffer, no folder creation, data connections to the control connection's address, the
// login (properties first, then the URL's own), passive or active mode, the proxy and the
// time-outs. Answers an error, and sets nothing that matters, when a property cannot be honoured.
std::optional<StreamError> apply(CURL* easy, const FtpStreamProperties& properties,
                                 const FtpTarget& target, char* errorBuffer);

// The proxy the properties name, or none (not even one from the environment); an error, setting
// nothing, when it cannot be used.
std::optional<StreamError> applyProxy(CURL* easy, const FtpStreamProperties& properties);

// A finished transfer's failure: the FTP domain with the server's reply code where the server
// refused, in the words of its reply when it is known; the Network domain with libcurl's code
// and text for everything else.
StreamError errorFor(CURL* easy, CURLcode result, const char* errorBuffer,
                     const QByteArray& serverReply = {});
// A failure found before or outside libcurl, in the Network domain.
StreamError localError(CURLcode code, const QString& message);

// Whether the properties name a proxy.
bool hasAnyProxyProperty(const FtpStreamProperties& properties);

// The SFTP failures both SSH paths tell alike: a refused log-in, named by what was offered (a key
// when one was, else the password), and a transfer broken off once its data moved.
StreamError sshLoginRefused(const FtpStreamProperties& properties, const QUrl& url);
StreamError downloadBrokenOff(CURLcode code, int64_t received, int64_t size);
StreamError uploadBrokenOff(CURLcode code, int64_t sent);

} // namespace CurlOptions

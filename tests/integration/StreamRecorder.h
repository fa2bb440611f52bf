#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopedValueRollback>
#include <QTest>

#include <gtest/gtest.h>

// What the stream tests share: their servers, files and time-outs.
#include "FtpServer.h"
#include "ShortTimeouts.h"
#include "TestFiles.h"
#include "platform/ftp/FtpStream.h"
#include "platform/ftp/OwnedStream.h"

// A stream delegate for the integration tests, driving its stream the way Tandrel's operations
// do: reads on has-bytes (32 KiB at a time), writes its upload on has-space and
// closes once all is written, and on every end stops the stream from inside its own handler
// (off the loop, no delegate, closed, destroyed). It records every event, and whether any
// arrived while one of the stream's own calls was running.
class StreamRecorder final : public FtpStreamDelegate
{
public:
    explicit StreamRecorder(std::unique_ptr<FtpStream> stream);
    // A download of url.
    explicit StreamRecorder(const QUrl& url);

    FtpStream* stream() const { return networkStream.get(); }
    // Applies the properties, schedules the stream with this delegate and opens it.
    void start(const FtpStreamProperties& properties = {});
    // The operations' stop: off the loop, no delegate, closed, destroyed.
    void stop();
    // Waits, bounded, until the stream has ended one way or another.
    bool waitUntilDone(int timeoutMs);
    bool done() const { return ended || failed || readFailed || uploaded || stopped; }

    void streamHandleEvent(FtpStream* aStream, NSStreamEvent eventCode) override;

    // Runs first on every event; answering true skips the default handling.
    std::function<bool(NSStreamEvent)> onEvent;
    // The upload's bytes, offered up to offerSize at a time.
    QByteArray upload;
    int64_t offerSize = OwnedStream::kChunkSize;

    std::vector<NSStreamEvent> events;
    QByteArray received;
    int64_t maxBuffered = 0;
    int64_t uploadOffset = 0;
    int partialWrites = 0;
    bool ended = false;  // read answered 0, or an end event came
    bool failed = false; // an error event came
    bool readFailed = false;
    bool uploaded = false; // all written and the stream closed
    bool stopped = false;
    bool confirmed = false; // the server's verdict on the upload, at stop
    StreamError error;
    ConnectionSecurity security; // as the stream told it at its last event
    // What the stream knew of its file at open-completed, if that came.
    std::optional<std::optional<int64_t>> sizeAtOpen;
    QByteArray timeAtOpen;
    bool eventInsideCall = false;

private:
    // Runs one of the stream's own calls, noting that it runs.
    template <typename Call> auto inside(Call call)
    {
        const QScopedValueRollback<bool> running(insideCall, true);
        return call();
    }
    void handleBytes();
    void handleSpace();

    OwnedStream networkStream;
    bool insideCall = false;
};

// Runs a download (or an upload of those bytes) with those properties and waits, bounded,
// until it is done.
std::unique_ptr<StreamRecorder> readUrl(const QUrl& url,
                                        const FtpStreamProperties& properties = {});
std::unique_ptr<StreamRecorder> writeUrl(const QUrl& url, const QByteArray& upload = {},
                                         const FtpStreamProperties& properties = {},
                                         int timeoutMs = 20000);

// Whether the error's message holds text; a failure shows the whole message.
inline ::testing::AssertionResult mentions(const StreamError& error, const QString& text)
{
    if (error.message.contains(text))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "the error says \"" << error.message.toStdString() << '"';
}

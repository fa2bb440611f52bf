#include "FolderLister.h"

#include <QTimer>

#include "Classes/Controller.h"
#include "MiscTool.h"
#include "platform/Assert.h"
#include "platform/UrlText.h"
#include "platform/ftp/ListingParser.h"

void FolderLister::list(const QString& folderURL, Done whenDone)
{
    open(FtpStream::Direction::Read, folderURL, std::move(whenDone));
}

void FolderLister::make(const QString& folderURL, Done whenDone)
{
    // Nothing is ever written: the stream makes the folder and then reports its end.
    open(FtpStream::Direction::Write, folderURL, std::move(whenDone));
}

void FolderLister::open(FtpStream::Direction direction, const QString& folderURL, Done whenDone)
{
    networkStream.stop();
    pending.clear();
    listedBytes = 0;
    listing = {};
    done = std::move(whenDone);
    const std::optional<QUrl> url = UrlText::urlWithString(folderURL);
    if (!url) {
        // Never from inside the caller's own call: it may not be ready for the answer yet.
        QTimer::singleShot(0, this, [this] { finish(QStringLiteral("Invalid URL")); });
        return;
    }
    networkStream.open(direction, *url, MiscTool::streamProperties(), this);
}

void FolderLister::stop()
{
    networkStream.stop();
    done = nullptr;
}

void FolderLister::streamHandleEvent(FtpStream* aStream, NSStreamEvent eventCode)
{
    TANDREL_ASSERT(aStream == networkStream.get());
    switch (eventCode) {
    case NSStreamEventOpenCompleted:
        break;
    case NSStreamEventEndEncountered:
        // A listing ends at the read that answers 0; a folder made ends here.
        if (networkStream->direction() == FtpStream::Direction::Write)
            finish({});
        break;
    case NSStreamEventHasBytesAvailable: {
        char buffer[OwnedStream::kChunkSize];
        const int64_t count = networkStream->read(buffer, OwnedStream::kChunkSize);
        if (count < 0) {
            finish(failure());
        } else if (count == 0) {
            finish({});
        } else {
            listedBytes += count;
            pending.append(buffer, count);
            parse();
            // The window's own listing limits hold here too: a server that keeps sending must
            // not fill the memory.
            const Controller::ListingLimits& limits = Controller::listingLimits;
            if (listedBytes > limits.bytes || pending.size() > limits.lineBytes ||
                listing.entries.size() > limits.entries)
                finish(QStringLiteral("Listing too large"));
        }
        break;
    }
    case NSStreamEventErrorOccurred:
        finish(failure());
        break;
    default:
        TANDREL_ASSERT(NO);
    }
}

void FolderLister::parse()
{
    int64_t offset = 0;
    for (;;) {
        std::optional<ListingEntry> entry;
        const int64_t consumed = CFFTPCreateParsedResourceListing(pending.constData() + offset,
                                                                  pending.size() - offset, &entry);
        if (consumed == 0)
            break;
        if (entry)
            listing.entries.append(Controller::entryByReencodingNameInEntry(
                std::move(*entry), QStringConverter::Utf8));
        if (consumed < 0)
            ++listing.unreadableLines;
        offset += consumed < 0 ? -consumed : consumed;
    }
    pending.remove(0, offset);
}

QString FolderLister::failure() const
{
    const QString message = networkStream->streamError().message;
    return message.isEmpty() ? QStringLiteral("Listing failed") : message;
}

void FolderLister::finish(const QString& error)
{
    networkStream.stop();
    pending.clear();
    Listing result = std::move(listing);
    listing = {};
    result.error = error;
    Done whenDone = std::move(done);
    done = nullptr;
    if (whenDone)
        whenDone(std::move(result));
}

#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include "ListingEntry.h"
#include "platform/ftp/OwnedStream.h"

// Lists one remote folder through a read stream, its lines parsed as they arrive, or makes one
// through a write stream, for the operations that walk a folder's tree (download, upload and
// delete of a whole folder). It knows nothing of the protocol: it asks only the stream layer.
class FolderLister final : public QObject, public FtpStreamDelegate
{
    Q_OBJECT

public:
    // The folder's entries, or why they could not be listed.
    struct Listing
    {
        QList<ListingEntry> entries;
        // Empty when the listing succeeded.
        QString error;
        // Lines the parser could not read.
        int unreadableLines = 0;
    };
    using Done = std::function<void(Listing)>;

    explicit FolderLister(QObject* parent = nullptr)
        : QObject(parent)
    {}
    ~FolderLister() override = default;

    // Lists the folder at folderURL (ending in "/"); done hears once, later, from the event loop.
    // A listing still running is dropped without a word.
    void list(const QString& folderURL, Done done);
    // Makes the folder at folderURL (ending in "/"); done hears once, later, with no entries.
    void make(const QString& folderURL, Done done);
    // Drops the running listing; done is not called.
    void stop();
    bool isListing() const { return static_cast<bool>(networkStream); }

    void streamHandleEvent(FtpStream* aStream, NSStreamEvent eventCode) override;

    Q_DISABLE_COPY_MOVE(FolderLister)

private:
    void parse();
    // Why the stream failed, never empty.
    QString failure() const;
    void finish(const QString& error);

    void open(FtpStream::Direction direction, const QString& folderURL, Done whenDone);

    OwnedStream networkStream;
    QByteArray pending;
    int64_t listedBytes = 0;
    Listing listing;
    Done done;
};

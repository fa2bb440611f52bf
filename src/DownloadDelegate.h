#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <thread>

#include <QFile>
#include <QString>
#include <QUrl>

#include "RemoteOperation.h"
#include "platform/ftp/OwnedStream.h"

// Copies the file selected in the listing into the download folder, one chunk of at most
// 32,768 bytes per has-bytes event, telling its watchers how far it is. The bytes go to
// a partial file beside the target, which replaces the target only once the server confirmed
// the whole transfer: a failed download never touches an existing file of that name. A failed or
// cancelled download keeps its partial file with a record of where it came from, and the next
// download of the same file continues it from its end; a small file's comes whole again instead.
class DownloadDelegate final : public RemoteOperation, public FtpStreamDelegate
{
    Q_OBJECT

public:
    explicit DownloadDelegate(QObject* parent = nullptr);
    // Waits for a sync still running: the file it syncs replaces no other before it is done.
    ~DownloadDelegate() override;

    // Downloads the selected row.
    void download();
    // Downloads one listed entry of the folder at folderURL into localFolder (none: the download
    // folder), as localName (none: the entry's own name); a folder gets the alert. Why it did not
    // start (already shown in the status line), or none when it runs.
    std::optional<OperationOutcome> startDownload(const ListingEntry& entry,
                                                  const QString& folderURL,
                                                  const QString& localFolder = {},
                                                  const QString& localName = {});
    void streamHandleEvent(FtpStream* aStream, NSStreamEvent eventCode) override;
    // Ends the download; on success the partial file becomes the target.
    void stopReceiveWithStatus(const OperationOutcome& status);
    // Writes a status text to the log.
    void updateStatus(const QString& statusText);
    bool isTransferring() const override { return isRunning() && networkStream; }
    // Stops the stream without waiting for the server; the partial file stays, to continue.
    void cancel() override;

    // The running download's bytes so far (0 when none runs).
    int64_t receivedBytes() const { return run ? run->receivedBytes : 0; }
    OwnedStream networkStream;
    std::unique_ptr<QFile> fileStream;

    // Whether a download of entry (in the folder at folderURL) to localPath that stopped left a
    // partial file beside it, with a record that lets it continue.
    static bool hasPartialOf(const ListingEntry& entry, const QString& folderURL,
                             const QString& localPath);

    // Makes the default download folder when it is missing; why the folder cannot be used, else
    // none.
    std::optional<OperationOutcome> prepareDownloadFolder();

    Q_DISABLE_COPY_MOVE(DownloadDelegate)

signals:
    // The download continues a partial file of offset bytes, or starts over from 0: of the
    // bytes it reports, those before offset were not moved in this run.
    void continuedFrom(int64_t offset);

private:
    // One run of a download: made when it starts and dropped when it ends, so that nothing of
    // one run is left for the next.
    struct Run
    {
        // Declared here and defaulted in the source: a constructor made from the member
        // initializers alone is not yet known while the class that holds the run is read.
        Run();

        // The file being made, and the partial file the bytes go to until the end.
        QString localFile;
        QString partialFile;
        // The size shown in progress: the server's announced size, else the listing's (0:
        // unknown).
        int64_t fileSize = 0;
        int64_t receivedBytes = 0;
        // The size the listing gave for the file, and the size the download must reach to
        // count as complete (the server's announced size wins); none when neither is known.
        std::optional<int64_t> listedSize;
        std::optional<int64_t> expectedSize;
        // Where the part of the file not yet handed to the disk begins.
        int64_t writeBackFrom = 0;
        // The download replaces an existing file: it goes to the disk before it takes that
        // file's place, so that a crash never leaves less in place of a good file. A new file
        // is put in place as it stands, as other downloaders do: nothing existed there to lose.
        bool replacesFile = false;
        // Received chunks are read straight into this buffer and written out once the next one
        // might not fit, before the file is synced and whenever the download stops.
        std::unique_ptr<char[]> pending;
        int64_t pendingBytes = 0;
        // The remote file and the login: what a partial file's record must name to be
        // continued.
        QUrl remoteUrl;
        QString remoteText;
        QString loginUser;
        // The login and connection settings the streams open with.
        FtpStreamProperties properties;
        // The byte the stream starts at (the length of a continued partial file, else 0), and
        // the size the server announced when that partial file was made.
        int64_t resumeFrom = 0;
        int64_t recordedSize = 0;
        // The server's own announced size for the file, none when it gave none.
        std::optional<int64_t> announcedSize;
        // The server refused to continue: said in the status line when the download ends.
        bool resumeRefused = false;
        // The modification time in the continued partial file's record, and the server's for
        // the file now (empty: none given).
        QByteArray recordedModified;
        QByteArray serverModified;
        // A partial file was continued though no modification time could tell that the file
        // stayed the same: said in the status line when the download ends.
        bool resumeUnchecked = false;
        // A write failed for want of room on the disk.
        bool diskFull = false;
        // A small file fetched without SIZE and MDTM: complete only when what arrived is the
        // listing's size and the 150 reply's (when it gives one); else fetched again with SIZE
        // asked. Stopped, it keeps no partial file.
        bool unasked = false;
    };
    std::optional<Run> run;

    // Opens the partial file for the run's local file and the read stream on url.
    void startReceive(const QString& url);
    void moveOneChunk();
    // Tells the listeners how far the download is.
    void showProgress();
    // Whether the file is fetched without asking its size first: a small one from its start.
    void setUnasked();
    // Opens the read stream, from resumeFrom on.
    void openStream();
    // Whether the server's time for the file differs from the one the partial file was made at.
    bool modifiedSinceRecord() const;
    // The partial file cannot be continued: emptied, and the file fetched from its start.
    void startOver(bool refusedByServer);
    // What arrived without SIZE asked does not match the sizes known: emptied, and fetched
    // again with SIZE asked first.
    void fetchAgainAsking();
    // Both: a new stream from the first byte into the emptied partial file.
    void fetchFromTheStart();
    // Whether candidate is a partial file stopped while fetching this file, with its record;
    // if so, opens it to append to. recorded: whether a record lay beside it.
    bool continuePartialFile(const QString& candidate, bool& recorded);
    // Records where a partial file left by a stopped download came from, or removes it when
    // it holds nothing.
    void keepPartialFile();
    // Hands what was written to the disk as the download goes, a window at a time.
    void writeBack();
    // Ends the download once the file is on the disk, when it must be.
    void finishReceive(OperationOutcome status);
    // The file of a successful download that replaces another goes to the disk on a thread of
    // its own: the disk may be busy writing back other files (the one just replaced, say),
    // which can take most of a second, and the window goes on meanwhile.
    std::thread syncThread;
    void synced(const OperationOutcome& status, int error);
    bool createPartialFile();
    // Ends the download with a failure of that kind.
    void fail(OperationOutcome::Kind kind, const QString& detail = {});
    // Chunks go to the file in writes of up to kWriteSize bytes.
    static constexpr int64_t kWriteSize = 256 * 1024;
    // Writes the pending bytes to the file; the reason when that failed.
    std::optional<QString> writePending();
    // Notes a write that failed with the error number: whether the disk was full.
    void noteWriteError(int error);
};

#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <time.h>

#include <QFile>
#include <QString>
#include <QStringList>

#include "RemoteOperation.h"
#include "platform/ftp/OwnedStream.h"

// Sends one local file, chosen in an open panel, into the folder the browser shows, under its
// own name. Each has-space event refills the send buffer from the file when it is empty and
// offers what it holds to the network once; bytes the network did not take wait for the next
// event. The upload succeeds only when the server confirmed the stored file.
class UploadDelegate final : public RemoteOperation, public FtpStreamDelegate
{
    Q_OBJECT

public:
    explicit UploadDelegate(QObject* parent = nullptr);

    // Action of the upload button: asks for files or folders, which filesChosen hands on.
    void uploadAction();
    // Sends the local file at path into the folder at folderURL, as remoteName (none: its own
    // name); from appendFrom on, appended to the remote file (which holds that many bytes of
    // it), when that is more than 0. Why it did not start (already shown in the status line),
    // or none when it runs.
    std::optional<OperationOutcome> startUpload(const QString& path, const QString& folderURL,
                                                const QString& remoteName = {},
                                                int64_t appendFrom = 0);
    void streamHandleEvent(FtpStream* aStream, NSStreamEvent eventCode) override;
    // Ends the upload; a success lists the folder again.
    void stopSendWithStatus(const OperationOutcome& status);
    bool isTransferring() const override
    {
        return isRunning() && networkStream && !awaitingVerdict;
    }
    // Aborts the stream without waiting for the server's verdict; the server may keep what it
    // stored so far.
    void cancel() override;
    // The running upload's bytes sent so far; 0 when none runs.
    int64_t sentBytes() const { return run ? run->sentBytes : 0; }
    OwnedStream networkStream;
    std::unique_ptr<QFile> fileStream;
    // Whether a success lists the folder again; off while more uploads follow at once.
    bool reloadAfterSuccess = true;

    Q_DISABLE_COPY_MOVE(UploadDelegate)

signals:
    // The open panel's answer: the files and folders to upload, in the order chosen.
    void filesChosen(const QStringList& paths);

private:
    // One run of an upload: made when it starts and dropped when it ends, so that nothing of
    // one run is left for the next.
    struct Run
    {
        // Declared here and defaulted in the source: a constructor made from the member
        // initializers alone is not yet known while the class that holds the run is read.
        Run();

        // The folder the file goes into; the one shown when empty. The name it gets there, and
        // the bytes the remote file already holds, to append to.
        QString remoteFolder;
        QString remoteName;
        int64_t appendFrom = 0;
        int64_t fileSize = 0;
        int64_t sentBytes = 0;
        std::unique_ptr<char[]> sendBuffer;
        // The bytes from bufferOffset up to bufferLimit wait to be sent.
        uint64_t bufferOffset = 0;
        uint64_t bufferLimit = 0;
        // The file's size and modification time when it was opened.
        int64_t startSize = 0;
        timespec startModified = {};
    };
    std::optional<Run> run;

    // Opens the local file and the write stream on the remote file of the same name.
    void startSend(const QString& path);
    // One has-space event: at most one file read and one network write of at most a chunk.
    void sendStep();
    // Whether the file still has the size and modification time it had at the start, and all
    // of it was sent.
    bool unchangedSinceStart() const;
    // The whole file is sent: closing the stream asks the server for its verdict.
    void finishSend();

    // Ends the upload with a failure of that kind.
    void fail(OperationOutcome::Kind kind, const QString& detail = {});

    // The file is read eight chunks at a time: an eighth of the reads, each chunk still
    // written on its own has-space event.
    static constexpr int64_t kReadSize = 8 * OwnedStream::kChunkSize;
    // All is sent and the stream's close waits for the server's verdict, running the event
    // loop: a cancel arriving meanwhile (a timer's) must not pull the stream from under it.
    bool awaitingVerdict = false;
};

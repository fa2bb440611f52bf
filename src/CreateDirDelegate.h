#pragma once

#include <memory>
#include <optional>

#include <QString>

#include "RemoteOperation.h"
#include "platform/ftp/OwnedStream.h"

// Creates a folder, named in a prompt, inside the folder the browser shows: a write stream on
// the new folder's URL (ending in "/") makes the server create it; on success the listing is
// fetched again so that the folder shows.
class CreateDirDelegate final : public RemoteOperation, public FtpStreamDelegate
{
    Q_OBJECT

public:
    explicit CreateDirDelegate(QObject* parent = nullptr);

    // Action of the create-folder button.
    void createDirAction();
    // The name prompt: the name typed, asked again after OK on an empty field; none on Cancel.
    std::optional<QString> getNewDir();
    void streamHandleEvent(FtpStream* aStream, NSStreamEvent eventCode) override;
    // Ends the request; a success lists the folder again.
    void stopCreateWithStatus(const OperationOutcome& status);

    OwnedStream networkStream;

    Q_DISABLE_COPY_MOVE(CreateDirDelegate)
};

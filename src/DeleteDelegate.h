#pragma once

#include <optional>

#include <QString>
#include <QUrl>

#include "RemoteOperation.h"

// Deletes the selected remote file or folder after a confirmation, in one blocking request
// that carries the login, the passive mode and the proxy of every other operation; on success
// the listing is fetched again. A folder is removed only when the server agrees (it is not
// emptied first).
class DeleteDelegate final : public RemoteOperation
{
    Q_OBJECT

public:
    explicit DeleteDelegate(QObject* parent = nullptr);

    // Action of the delete button.
    void deleteAction();
    // Deletes the selected entry; true when the server confirmed it, else failure says why.
    bool deleteFTPFileOrFolder();

    // Why the last deletion failed.
    OperationOutcome failure;

    Q_DISABLE_COPY_MOVE(DeleteDelegate)
};

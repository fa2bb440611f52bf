#pragma once

#include <optional>

#include <QString>
#include <QUrl>

#include "RemoteOperation.h"

// Renames an entry of the folder shown, when the user commits the name cell's editor: one
// blocking RNFR/RNTO request with the login, passive mode and proxy of every other operation.
// Both names must each address one entry of this folder. On success the folder is listed again
// and the entry selected under its new name; a refusal shows the server's reply.
class RenameDelegate final : public RemoteOperation
{
    Q_OBJECT

public:
    explicit RenameDelegate(QObject* parent = nullptr);

    // Renames the entry at listEntries row to newName (as typed; sent as UTF-8).
    void renameEntry(int row, const QString& newName);

    Q_DISABLE_COPY_MOVE(RenameDelegate)
};

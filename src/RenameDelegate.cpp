#include "RenameDelegate.h"

#include "Classes/Controller.h"
#include "Classes/RemoteFolder.h"
#include "MiscTool.h"
#include "platform/RemoteName.h"
#include "platform/UrlText.h"
#include "platform/ftp/FtpStream.h"

RenameDelegate::RenameDelegate(QObject* parent)
    : RemoteOperation(OperationOutcome::Action::Rename, parent)
{}

void RenameDelegate::renameEntry(int row, const QString& newName)
{
    const ListingEntry* listed = remote->entryAt(row);
    if (!listed)
        return;
    const ListingEntry& entry = *listed;
    const QString oldName = MiscTool::getFileName(entry).value_or(QString());
    const QByteArray oldBytes = RemoteFolder::rawNameOf(entry);
    const QByteArray newBytes = newName.toUtf8();
    if (newBytes == oldBytes)
        return;
    // Both names go into FTP commands: each must be one plain name of this folder.
    if (const QString why = RemoteName::whyNotAddressable(oldBytes); !why.isEmpty()) {
        refuseName(oldName, why);
        return;
    }
    if (const QString why = RemoteName::whyNotNewName(newName); !why.isEmpty()) {
        refuseName(newName, why);
        return;
    }
    const std::optional<QString> text = remote->urlOf(entry);
    const std::optional<QUrl> url = text ? UrlText::urlWithString(*text) : std::nullopt;
    if (!url) {
        report(outcome(OperationOutcome::Kind::InvalidUrl));
        return;
    }
    if (!beginOperation())
        return;
    StreamError error;
    // Waits for the server's answer with the event loop turning (user input held back).
    /* BLOCKING: until the server answers RNFR and RNTO; up to 31 s (the finish time-out, 1 s
       spare) */
    if (!CFURLRenameResource(*url, newBytes, MiscTool::streamProperties(), &error)) {
        OperationOutcome failure = outcome(OperationOutcome::Kind::RenameFailed, error.message);
        failure.replyCode = error.domain == StreamErrorDomain::FTP ? error.code : 0;
        report(failure);
        endOperation(failure);
        return;
    }
    // The new name is selected once the folder's new listing is in.
    connect(
        controller, &Controller::listingStopped, this,
        [this, newName] {
            const auto& entries = *remote->listEntries;
            for (int i = 0; i < entries.size(); ++i)
                if (MiscTool::getFileName(entries.at(i)) == newName) {
                    controller->selectListRow(i);
                    break;
                }
        },
        Qt::SingleShotConnection);
    controller->reloadAction();
    endOperation(outcome(OperationOutcome::Kind::Succeeded));
}

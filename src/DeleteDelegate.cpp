#include "DeleteDelegate.h"

#include "Classes/Controller.h"
#include "Classes/RemoteFolder.h"
#include "MiscTool.h"
#include "platform/Log.h"
#include "platform/RemoteName.h"
#include "platform/ftp/FtpStream.h"
#include "platform/toolkit/Toolkit.h"

DeleteDelegate::DeleteDelegate(QObject* parent)
    : RemoteOperation(OperationOutcome::Action::Delete, parent)
{}

void DeleteDelegate::deleteAction()
{
    const ListingEntry* entry = selectedEntry();
    if (!entry)
        return;
    // Nothing to confirm for a name no request can carry.
    if (const QString why = RemoteName::whyNotAddressable(RemoteFolder::rawNameOf(*entry));
        !why.isEmpty()) {
        refuseName(MiscTool::getFileName(*entry).value_or(QString()), why);
        return;
    }
    if (!beginOperation())
        return;
    // The confirmation says what goes: a file or a folder, and its name as shown.
    const bool folder = RemoteFolder::isFolder(*entry);
    Toolkit::Alert alert;
    //% "Delete the selected item?"
    alert.messageText = Controller::localizedString("DeleteConfirm");
    //% "The folder “%1” will be deleted."
    const QString folderNamed = Controller::localizedString("DeleteFolderNamed");
    //% "The file “%1” will be deleted."
    const QString fileNamed = Controller::localizedString("DeleteFileNamed");
    //% "It is removed from the server and cannot be restored."
    const QString cannotRestore = Controller::localizedString("DeleteInfo");
    alert.informativeText =
        (folder ? folderNamed : fileNamed)
            .arg(Log::printable(MiscTool::getFileName(*entry).value_or(QString()))) +
        QLatin1Char('\n') + cannotRestore;
    alert.defaultButton = Controller::localizedString("OK");
    alert.alternateButton = Controller::localizedString("Cancel");
    if (Toolkit::shared().runModalAlert(alert).code != Toolkit::kDefaultReturn) {
        abandonOperation();
        return;
    }
    if (deleteFTPFileOrFolder()) {
        controller->reloadAction();
        endOperation(outcome(OperationOutcome::Kind::Succeeded));
    } else {
        report(failure);
        endOperation(failure);
    }
}

bool DeleteDelegate::deleteFTPFileOrFolder()
{
    failure = outcome(OperationOutcome::Kind::DeleteFailed);
    const ListingEntry* entry = selectedEntry();
    if (!entry)
        return false;
    const std::optional<QUrl> url = RemoteName::isAddressable(RemoteFolder::rawNameOf(*entry))
                                        ? remote->credentialedURL(*entry)
                                        : std::nullopt;
    if (!url) {
        failure = outcome(OperationOutcome::Kind::InvalidUrl);
        return false;
    }
    // The login is the URL's; passive mode and the proxy come from the settings, as for every
    // stream, so that with the proxy on nothing bypasses it.
    FtpStreamProperties properties = MiscTool::streamProperties();
    properties.erase(FtpStreamProperty::kCFStreamPropertyFTPUserName);
    properties.erase(FtpStreamProperty::kCFStreamPropertyFTPPassword);
    StreamError error;
    // Waits for the server's answer with the event loop turning (user input held back), so
    // the window keeps painting; bounded by the delete's time-out.
    if (CFURLDestroyResource(*url, properties, &error))
        return true;
    if (error.domain == StreamErrorDomain::FTP)
        failure.replyCode = error.code;
    failure.detail = error.message;
    return false;
}

#include "DeleteDelegate.h"

#include <QTimer>

#include "Classes/Controller.h"
#include "Classes/RemoteFolder.h"
#include "MiscTool.h"
#include "platform/Log.h"
#include "platform/RemoteName.h"
#include "platform/ftp/FtpStream.h"
#include "platform/toolkit/Toolkit.h"

namespace {

QString text(const char* id, const char* english)
{
    return OperationOutcome::localizedText(id, english);
}

QString filesText(int count)
{
    //% "1 file"
    return count == 1 ? text("TreeOneFile", "1 file")
                      //% "%L1 files"
                      : text("TreeFiles", "%L1 files").arg(count);
}

QString foldersText(int count)
{
    //% "1 folder"
    return count == 1 ? text("TreeOneFolder", "1 folder")
                      //% "%L1 folders"
                      : text("TreeFolders", "%L1 folders").arg(count);
}

} // namespace

DeleteDelegate::TreeRun::TreeRun() = default;

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
    const bool folder = RemoteFolder::isFolder(*entry);
    const QString name = Log::printable(MiscTool::getFileName(*entry).value_or(QString()));
    // A folder's contents are listed before anything is asked; a link goes as itself.
    if (folder && MiscTool::getFileType(*entry) != kEntryTypeLink) {
        tree.emplace();
        tree->name = name;
        tree->folders.append({remote->urlOf(*entry).value_or(QString()), name, {}});
        //% "Listing \"%1\" to delete it"
        controller->showStatus(
            text("StatusListingToDelete", "Listing \"%1\" to delete it").arg(name));
        listNextFolder();
        return;
    }
    // The confirmation says what goes: a file or a folder, and its name as shown.
    if (!confirm(Controller::localizedString(folder ? "DeleteFolderNamed" : "DeleteFileNamed")
                     .arg(name))) {
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

bool DeleteDelegate::confirm(const QString& informative)
{
    Toolkit::Alert alert;
    alert.messageText = Controller::localizedString("DeleteConfirm");
    alert.informativeText =
        informative + QLatin1Char('\n') + Controller::localizedString("DeleteInfo");
    alert.defaultButton = Controller::localizedString("OK");
    alert.alternateButton = Controller::localizedString("Cancel");
    // A whole tree goes at once: Enter alone must not send it.
    alert.alternateIsDefault = tree.has_value();
    return Toolkit::shared().runModalAlert(alert).code == Toolkit::kDefaultReturn;
}

void DeleteDelegate::listNextFolder()
{
    if (tree->listed < tree->folders.size()) {
        lister.list(tree->folders[tree->listed].url,
                    [this](FolderLister::Listing listing) { folderListed(std::move(listing)); });
        return;
    }
    const int folders = static_cast<int>(tree->folders.size());
    if (tree->unaddressable > 0) {
        failure =
            outcome(OperationOutcome::Kind::DeleteFailed,
                    //% "names in it that no request can carry: %L1"
                    text("DeleteTreeUnaddressable", "names in it that no request can carry: %L1")
                        .arg(tree->unaddressable));
        endTree(failure);
        return;
    }
    const QString question =
        tree->fileCount == 0 && folders == 1
            ? Controller::localizedString("DeleteFolderNamed").arg(tree->name)
            //% "Delete \"%1\" with %2 in %3?"
            : text("DeleteTreeNamed", "Delete \"%1\" with %2 in %3?")
                  .arg(tree->name, filesText(tree->fileCount), foldersText(folders));
    if (!confirm(question)) {
        tree.reset();
        controller->showStatus(controller->status);
        abandonOperation();
        return;
    }
    deleteTree();
}

void DeleteDelegate::folderListed(FolderLister::Listing listing)
{
    const QString folderURL = tree->folders[tree->listed].url;
    const QString folderName = tree->folders[tree->listed].shownName;
    if (!listing.error.isEmpty()) {
        failure = outcome(
            OperationOutcome::Kind::DeleteFailed,
            //% "cannot list \"%1\": %2"
            text("DeleteTreeNotListed", "cannot list \"%1\": %2").arg(folderName, listing.error));
        endTree(failure);
        return;
    }
    for (const ListingEntry& entry : listing.entries) {
        const QByteArray raw = RemoteFolder::rawNameOf(entry);
        if (!RemoteName::isAddressable(raw)) {
            ++tree->unaddressable;
            continue;
        }
        const bool folder =
            RemoteFolder::isFolder(entry) && MiscTool::getFileType(entry) != kEntryTypeLink;
        const QString url = RemoteFolder::urlIn(folderURL, raw, folder).value_or(QString());
        if (folder) {
            tree->folders.append(
                {url,
                 folderName + QLatin1Char('/') +
                     Log::printable(MiscTool::getFileName(entry).value_or(QString())),
                 {}});
        } else {
            tree->folders[tree->listed].files.append(url);
            ++tree->fileCount;
        }
    }
    ++tree->listed;
    listNextFolder();
}

void DeleteDelegate::deleteTree()
{
    //% "Deleting \"%1\""
    controller->showStatus(text("StatusDeletingTree", "Deleting \"%1\"").arg(tree->name));
    const int last = static_cast<int>(tree->folders.size()) - 1;
    deleteStep(last, static_cast<int>(tree->folders[last].files.size()) - 1);
}

void DeleteDelegate::deleteStep(int folder, int file)
{
    // Children were listed after their parents: from the end, every folder is empty by the time
    // its own turn comes.
    Folder& current = tree->folders[folder];
    const bool ok = destroy(file >= 0 ? current.files[file] : current.url);
    if (!ok) {
        // What is left: the files not yet deleted and every folder from this one back.
        int files = file + 1;
        for (int f = 0; f < folder; ++f)
            files += static_cast<int>(tree->folders[f].files.size());
        OperationOutcome stopped = failure;
        const QString reason = failure.detail.isEmpty()
                                   ? QStringLiteral("FTP error %1").arg(failure.replyCode)
                                   : failure.detail;
        //% "%1; %2 in %3 left"
        stopped.detail = text("DeleteTreeLeft", "%1; %2 in %3 left")
                             .arg(reason, filesText(files), foldersText(folder + 1));
        stopped.replyCode = 0;
        endTree(stopped);
        return;
    }
    if (file >= 0) {
        current.files.removeLast();
        --file;
    } else if (folder > 0) {
        --folder;
        file = static_cast<int>(tree->folders[folder].files.size()) - 1;
    } else {
        endTree(std::nullopt);
        return;
    }
    // One request per turn: the window paints and hears Cancel between them.
    QTimer::singleShot(0, this, [this, folder, file] {
        if (tree)
            deleteStep(folder, file);
    });
}

void DeleteDelegate::cancel()
{
    if (!tree)
        return;
    lister.stop();
    endTree(outcome(OperationOutcome::Kind::Cancelled));
}

void DeleteDelegate::endTree(const std::optional<OperationOutcome>& failed)
{
    tree.reset();
    // Whatever went is gone: the folder shown is listed again, unless the user disconnected.
    if (remote->isConnected())
        controller->reloadAction();
    if (failed) {
        report(*failed);
        endOperation(*failed);
    } else {
        endOperation(outcome(OperationOutcome::Kind::Succeeded));
    }
}

bool DeleteDelegate::deleteFTPFileOrFolder()
{
    failure = outcome(OperationOutcome::Kind::DeleteFailed);
    const ListingEntry* entry = selectedEntry();
    if (!entry)
        return false;
    if (!RemoteName::isAddressable(RemoteFolder::rawNameOf(*entry))) {
        failure = outcome(OperationOutcome::Kind::InvalidUrl);
        return false;
    }
    return destroy(remote->urlOf(*entry).value_or(QString()));
}

bool DeleteDelegate::destroy(const QString& plainURL)
{
    failure = outcome(OperationOutcome::Kind::DeleteFailed);
    const std::optional<QUrl> url = RemoteFolder::credentialed(plainURL);
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
    /* BLOCKING: runs the event loop, user input held, until the server answers; bounded by the
       delete's time-out */
    if (CFURLDestroyResource(*url, properties, &error))
        return true;
    if (error.domain == StreamErrorDomain::FTP)
        failure.replyCode = error.code;
    failure.detail = error.message;
    return false;
}

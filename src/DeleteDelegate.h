#pragma once

#include <optional>

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include "FolderLister.h"
#include "RemoteOperation.h"

// Deletes the selected remote file or folder after a confirmation, in blocking requests that
// carry the login, the passive mode and the proxy of every other operation; on success the
// listing is fetched again. A folder's tree is listed first, the confirmation says how much of it
// goes, and it is removed deepest first: each folder's files, then the folder. A refusal stops it
// and says what is left.
class DeleteDelegate final : public RemoteOperation
{
    Q_OBJECT

public:
    explicit DeleteDelegate(QObject* parent = nullptr);

    // Action of the delete button.
    void deleteAction();
    // Deletes the selected entry; true when the server confirmed it, else failure says why.
    bool deleteFTPFileOrFolder();
    // Stops a folder's deletion between two requests (the disconnect); what is gone stays gone.
    void cancel() override;

    // Why the last deletion failed.
    OperationOutcome failure;

    Q_DISABLE_COPY_MOVE(DeleteDelegate)

private:
    // One folder of the tree: its URL, the URLs of its files (links among them: a link goes as
    // itself, never followed) and its name as shown.
    struct Folder
    {
        QString url;
        QString shownName;
        QStringList files;
    };
    // One deletion of a folder's tree: made when its listing starts, dropped at its end.
    struct TreeRun
    {
        // Declared here and defaulted in the source: a constructor made from the member
        // initializers alone is not yet known while the class that holds the run is read.
        TreeRun();

        QString name;
        // Parents before their children, in the order listed.
        QList<Folder> folders;
        int listed = 0;
        int fileCount = 0;
        // Entries whose names no request can carry: the tree cannot go whole.
        int unaddressable = 0;
    };
    std::optional<TreeRun> tree;
    FolderLister lister;

    // Asks whether the selected entry goes, naming it; informative is the question's detail.
    bool confirm(const QString& informative);
    // Lists the tree's next folder, or when all are listed, asks and deletes.
    void listNextFolder();
    void folderListed(FolderLister::Listing listing);
    // Deletes the tree, deepest first, one request per turn of the event loop.
    void deleteTree();
    void deleteStep(int folder, int file);
    // Ends the tree's deletion with how it went.
    void endTree(const std::optional<OperationOutcome>& failed);
    // One blocking request on the resource at plainURL; failure says why not.
    bool destroy(const QString& plainURL);
};

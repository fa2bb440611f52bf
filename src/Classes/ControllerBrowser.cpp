// Navigation through the remote folders and the listing table's cells.

#include <algorithm>
#include <utility>

#include <QAction>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>

#include "Classes/Controller.h"
#include "Classes/ListingSortFilter.h"
#include "Classes/ListingTableModel.h"
#include "Classes/RemoteFolder.h"
#include "MiscTool.h"
#include "OperationOutcome.h"
#include "RemoteOperation.h"
#include "platform/Log.h"
#include "platform/RemoteName.h"
#include "platform/toolkit/Toolkit.h"

void Controller::connectAction()
{
    saveAction();
    // Nothing goes on the network for an address that cannot be one; the window stays idle and
    // the status line (shown in front) names the field to mend.
    if (const QString problem = MiscTool::serverAddressProblem(); !problem.isEmpty()) {
        //% "Cannot connect: %1"
        updateStatus(OperationOutcome::localizedText("StatusCannotConnect", "Cannot connect: %1")
                         .arg(problem));
        tabView->setCurrentWidget(serverTabViewItem);
        return;
    }
    if (secretsUnknown()) {
        connectAfterSecrets = true;
        //% "Reading the password from the keyring…"
        updateStatus(OperationOutcome::localizedText("ReadingKeyring",
                                                     "Reading the password from the keyring…"));
        return;
    }
    initStates();
    setAllStates(false);
    tabView->setCurrentWidget(serverTabViewItem);
    if (isReceiving()) {
        stopReceiveWithStatus(QStringLiteral("Cancelled"));
        return;
    }
    const QString root = MiscTool::getFTPURL();
    startReceive(root);
    ftpLocationLabel->setText(MiscTool::getFTPLocation(remote->getCurrentFTPURL(), root));
}

void Controller::disconnectAction()
{
    // A running transfer is not dropped behind the user's back: they choose to cancel it, or
    // to stay connected while it runs.
    // Files moving on the queue's other connections count too, also once the window's own
    // connection has finished its part.
    const RemoteOperation* running = RemoteOperation::running();
    if ((running && running->isTransferring()) || RemoteOperation::helpersRunning() > 0) {
        Toolkit::Alert alert;
        alert.style = Toolkit::AlertStyle::Warning;
        //% "A transfer is running"
        alert.messageText = localizedString("DisconnectCancelAlert");
        //% "Disconnecting cancels it. A cancelled download keeps its partial file and continues "
        //% "where it stopped when you download the file again."
        alert.informativeText = localizedString("DisconnectCancelInfo");
        //% "Cancel and Disconnect"
        alert.defaultButton = localizedString("CancelTransfer");
        //% "Keep Running"
        alert.alternateButton = localizedString("KeepTransfer");
        if (Toolkit::shared().runModalAlert(alert).code != Toolkit::kDefaultReturn)
            return;
        RemoteOperation::cancelRunning();
    }
    stopReceiveWithStatus(QString(QLatin1String("")));
    setAllStates(true);
    initStates();
    saveItem->setEnabled(false);
    remote->FTP_URL = MiscTool::getFTPURL();
    remote->listEntries->clear();
    tableModel->reloadData();
    ftpLocationLabel->setText(QString());
    tabView->setCurrentWidget(ftpTabViewItem);
    emit disconnected();
}

void Controller::reloadAction()
{
    remote->listEntries->clear();
    startReceive(remote->getCurrentFTPURL());
    tableModel->reloadData();
}

void Controller::preAction()
{
    if (!remote->leave()) {
        preButton->setEnabled(false);
        return;
    }
    if (remote->atRoot())
        preButton->setEnabled(false);
    startReceive(remote->FTP_URL);
    ftpLocationLabel->setText(MiscTool::getFTPLocation(remote->FTP_URL, MiscTool::getFTPURL()));
}

void Controller::doubleClickAction()
{
    const ListingEntry* selected = remote->entryAt(selectedRow());
    if (!selected)
        return;
    const ListingEntry& entry = *selected;
    if (!RemoteFolder::isFolder(entry)) {
        Log::line(QStringLiteral("downloading..."));
        return;
    }
    // The folder's URL is built from the server's own name bytes, so that a name that is not
    // UTF-8 is addressed exactly as listed.
    const QByteArray name = RemoteFolder::rawNameOf(entry);
    // Checked before the folder stack changes: the name must address one folder of this one.
    if (const QString why = RemoteName::whyNotAddressable(name); !why.isEmpty()) {
        //% "Refused to open the folder \"%1\": %2"
        showStatus(OperationOutcome::localizedText("StatusRefusedFolder",
                                                   "Refused to open the folder \"%1\": %2")
                       .arg(Log::printable(MiscTool::getFileName(entry).value_or(QString())), why));
        return;
    }
    const std::optional<QString> folderURL = RemoteFolder::urlIn(remote->FTP_URL, name, true);
    if (!folderURL) {
        showStatus(QStringLiteral("Invalid URL"));
        return;
    }
    remote->enter(*folderURL);
    enteredLink =
        MiscTool::getFileType(entry) == kEntryTypeLink ? std::optional(entry) : std::nullopt;
    enteredLinkURL = remote->FTP_URL;
    preButton->setEnabled(true);
    startReceive(remote->FTP_URL);
    ftpLocationLabel->setText(MiscTool::getFTPLocation(remote->FTP_URL, MiscTool::getFTPURL()));
}

void Controller::offerEnteredLinkAsFile(const StreamError& error)
{
    if (!enteredLink || enteredLinkURL != remote->getCurrentFTPURL() || remote->atRoot() ||
        error.domain != StreamErrorDomain::FTP || error.code != 550)
        return;
    const ListingEntry link = *std::exchange(enteredLink, std::nullopt);
    // Not a folder: the folder that lists it is shown again, whatever the user chooses.
    preAction();
    Toolkit::Alert alert;
    alert.style = Toolkit::AlertStyle::Informational;
    //% "“%1” is not a folder"
    alert.messageText = localizedString("LinkNotFolderAlert")
                            .arg(Log::printable(MiscTool::getFileName(link).value_or(QString())));
    //% "The link leads to a file. Download it into the download folder?"
    alert.informativeText = localizedString("LinkNotFolderInfo");
    alert.defaultButton = localizedString("Download");
    alert.alternateButton = localizedString("Cancel");
    if (Toolkit::shared().runModalAlert(alert).code == Toolkit::kDefaultReturn)
        emit linkDownloadRequested(link, remote->getCurrentFTPURL());
}

int Controller::numberOfRowsInTableView() const
{
    return remote->count();
}

QList<int> Controller::selectedRows() const
{
    QList<QModelIndex> indexes = serverTable->selectionModel()->selectedRows();
    std::sort(indexes.begin(), indexes.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    QList<int> rows;
    for (const QModelIndex& index : indexes)
        rows.append(listRowOfTableIndex(index));
    return rows;
}

QModelIndex Controller::tableIndexOfRow(int row, int column) const
{
    return tableSorter->mapFromSource(tableModel->index(row, column));
}

int Controller::listRowOfTableIndex(const QModelIndex& index) const
{
    return tableSorter->mapToSource(index).row();
}

void Controller::selectListRow(int row)
{
    const QModelIndex index = tableIndexOfRow(row);
    if (!index.isValid())
        return;
    serverTable->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                              QItemSelectionModel::Rows);
    serverTable->scrollTo(index);
}

int Controller::selectedRow() const
{
    const QList<int> rows = selectedRows();
    return rows.isEmpty() ? -1 : rows.constFirst();
}

QString Controller::tableViewObjectValue(const QString& columnIdentifier, int row) const
{
    const ListingEntry* shown = remote->entryAt(row);
    if (!shown)
        return QString();
    const ListingEntry& entry = *shown;
    if (columnIdentifier == QLatin1String("FolderOrFile"))
        return RemoteFolder::isFolder(entry) ? QStringLiteral("\U0001F4C1")
                                             : QStringLiteral("\U0001F4C4");
    if (columnIdentifier == QLatin1String("FileName"))
        return Log::printable(MiscTool::getFileName(entry).value_or(QString()));
    if (columnIdentifier == QLatin1String("FileSize"))
        return MiscTool::convertBytes(
            static_cast<uint64_t>(std::max<int64_t>(0, MiscTool::fileSizeNumber(entry))));
    if (columnIdentifier == QLatin1String("ModifiedTime"))
        return MiscTool::getFileDate(entry);
    return QString();
}

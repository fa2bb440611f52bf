// The steps that click through the window: navigation, sorting, renaming, selecting, and
// pressing an operation's button.

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "Classes/Controller.h"
#include "Classes/ListingTableModel.h"
#include "Classes/TransferQueue.h"
#include "ConnectUrl.h"
#include "DownloadDelegate.h"
#include "RenameDelegate.h"
#include "TandrelApp.h"
#include "drive/Driver.h"
#include "platform/Keyring.h"
#include "platform/SiteStore.h"
#include "platform/UserDefaults.h"

namespace drive {

void Driver::navigate(const std::function<void()>& action)
{
    if (!controller->preButton->isEnabled() && !controller->reloadButton->isEnabled())
        fail(QStringLiteral("the browser buttons are disabled"));
    listingRunning = true;
    const qsizetype depth = controller->remote->ftpURLStack.size();
    action();
    if (!controller->isReceiving() && controller->remote->ftpURLStack.size() == depth &&
        controller->status != QLatin1String("Receiving"))
        listingRunning = false;
    print({QStringLiteral("location"), controller->ftpLocationLabel->text()});
    waitForListing(QStringLiteral("navigation"));
    printRows();
}

void Driver::enter(const QString& name)
{
    const QPoint at = selectRow(name);
    QTableView* table = controller->serverTable;
    listingRunning = true;
    const qsizetype depth = controller->remote->ftpURLStack.size();
    // A click first (selectRow): a double-click alone does not reach the table offscreen.
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, at);
    if (controller->remote->ftpURLStack.size() == depth) {
        listingRunning = false;
        fail(QStringLiteral("cd %1: not entered (%2)").arg(name, controller->statusLabel->text()));
    }
    print({QStringLiteral("location"), controller->ftpLocationLabel->text()});
    waitForListing(QStringLiteral("cd ") + name);
    printRows();
}

// Clicks the column's header until the table is sorted by it in that direction.
void Driver::sortBy(const QString& column, const QString& direction)
{
    const int section = ListingTableModel::columnIdentifiers().indexOf(column);
    if (section < 1 || (direction != QLatin1String("asc") && direction != QLatin1String("desc")))
        fail(QStringLiteral("sort: needs FileName, FileSize or ModifiedTime and asc or desc"));
    const Qt::SortOrder order =
        direction == QLatin1String("asc") ? Qt::AscendingOrder : Qt::DescendingOrder;
    QHeaderView* header = controller->serverTable->horizontalHeader();
    for (int clicks = 0; clicks < 2; ++clicks) {
        if (header->sortIndicatorSection() == section && header->sortIndicatorOrder() == order)
            break;
        const QPoint at(header->sectionViewportPosition(section) + 5, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }
    printRows();
}

// Presses F2 on the row, types the new name into the editor and commits it; waits for the
// rename and the listing after it.
void Driver::rename(const QString& oldName, const QString& newName)
{
    const QString what = QStringLiteral("rename ") + oldName;
    RemoteOperation* operation = app->renameDelegate();
    selectRow(oldName);
    QTableView* table = controller->serverTable;
    QTest::keyClick(table, Qt::Key_F2);
    auto* editor = table->viewport()->findChild<QLineEdit*>();
    if (!editor)
        fail(what + QStringLiteral(": no editor opened"));
    operationEnded = false;
    operationStatus.reset();
    editor->selectAll();
    editor->insert(newName); // keyClicks types ASCII only
    listingRunning = true;
    QTest::keyClick(editor, Qt::Key_Return);
    // The editor commits with the next pass of the event loop and the request starts with
    // the pass after it.
    for (int pass = 0; pass < 3 && !operationEnded && !operation->isRunning(); ++pass)
        QCoreApplication::processEvents();
    if (!operationEnded && !operation->isRunning()) {
        listingRunning = false;
        fail(what + QStringLiteral(": not started: ") + controller->statusLabel->text());
    }
    if (!runUntil([this] { return operationEnded; }))
        fail(what + QStringLiteral(": did not end in time"));
    if (operationStatus) {
        listingRunning = false;
        fail(what + QStringLiteral(": ") + controller->statusLabel->text());
    }
    waitForListing(what);
    printRows();
}

// Clicks the row of that name, as a user selects it; answers where it clicked.
QPoint Driver::selectRow(const QString& name)
{
    const QPoint at = rowPoint(name);
    QTest::mouseClick(controller->serverTable->viewport(), Qt::LeftButton, {}, at);
    return at;
}

// The middle of the name cell of that row, scrolled into view.
QPoint Driver::rowPoint(const QString& name)
{
    QTableView* table = controller->serverTable;
    const int rows = controller->numberOfRowsInTableView();
    for (int row = 0; row < rows; ++row) {
        if (controller->tableViewObjectValue(QStringLiteral("FileName"), row) != name)
            continue;
        const QModelIndex index = controller->tableIndexOfRow(row);
        if (!index.isValid())
            fail(QStringLiteral("the row %1 is filtered out").arg(name));
        table->scrollTo(index);
        return table->visualRect(index).center();
    }
    fail(QStringLiteral("no row named %1").arg(name));
}

// Presses an operation's button and waits, bounded, for the operation's end, and after a
// success that lists the folder again, for that listing.
void Driver::operate(RemoteOperation* operation, QPushButton* button, const QString& step,
                     const QString& argument)
{
    const QString what = step + QLatin1Char(' ') + argument;
    if (!button->isEnabled())
        fail(what + QStringLiteral(": the button is disabled"));
    const bool reloads = operation != app->downloadDelegate();
    lastQueueDisplay = queueDisplay();
    operationEnded = false;
    operationStatus.reset();
    listingRunning = reloads;
    button->click();
    if (!operationEnded && !operation->isRunning()) {
        listingRunning = false;
        fail(what + QStringLiteral(": not started: ") + controller->statusLabel->text());
    }
    if (!runUntil([this] { return operationEnded; }))
        fail(what + QStringLiteral(": did not end in time"));
    // A transfer that ended before the cancel reached it was not cancelled.
    cancelled = cancelled && operationStatus;
    if (cancelled) {
        listingRunning = false; // a cancelled upload lists nothing again
        return;
    }
    if (operationStatus)
        fail(what + QStringLiteral(": ") + controller->statusLabel->text());
    if (reloads) {
        waitForListing(what);
        printRows();
    }
}

// Clicks the first name's row and Ctrl-clicks the others', as a user selects several.
void Driver::selectRows(const QStringList& names)
{
    selectRow(names.first());
    QTableView* table = controller->serverTable;
    for (const QString& name : names.mid(1))
        QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::ControlModifier, rowPoint(name));
}

// Presses a button that queues transfers and waits, bounded, until the queue is empty, and
// when uploads listed the folder again, for that listing. One line per transfer queued.
void Driver::runQueue(QPushButton* button, const QString& what, bool reloads)
{
    if (!button->isEnabled())
        fail(what + QStringLiteral(": the button is disabled"));
    TransferQueue* queue = app->transferQueue();
    const int first = queue->rowCount();
    lastQueueDisplay = queueDisplay();
    queueDrained = false;
    listingRunning = reloads;
    button->click();
    if (queue->rowCount() == first) {
        listingRunning = false;
        fail(what + QStringLiteral(": nothing queued: ") + controller->statusLabel->text());
    }
    // A note on what was left out ("Skipped 1 folder").
    if (controller->statusLabel->text() != controller->status)
        print({QStringLiteral("status"), controller->statusLabel->text()});
    if (!runUntil([this] { return queueDrained; }))
        fail(what + QStringLiteral(": the queue did not end in time"));
    // A listing, if any, started before the queue said it was empty.
    if (!controller->isReceiving())
        listingRunning = false;
    if (reloads) {
        waitForListing(what);
        printRows();
    }
    bool allDone = true;
    for (int row = first; row < queue->rowCount(); ++row) {
        const TransferQueue::Transfer& transfer = queue->transfers().at(row);
        allDone = allDone && transfer.succeeded;
        // A file's line came as it ended; one that never started ends here.
        if (!transfer.folder && transfer.state == TransferQueue::State::Finished &&
            !transfer.clock.isValid())
            print({QStringLiteral("queue"), transfer.name, transfer.outcome,
                   QString::number(transfer.doneBytes)});
        if (transfer.folder)
            print({QStringLiteral("tree"), transfer.name, QString::number(transfer.filesDone),
                   QString::number(transfer.filesSkipped), QString::number(transfer.filesFailed),
                   QString::number(transfer.doneBytes)});
    }
    if (!allDone)
        fail(what + QStringLiteral(": not every transfer succeeded"));
}

// Saves the connection in use as a site, once the keyring has said whether it answers, and
// waits, bounded, until the keyring has kept the passwords.
void Driver::saveSite(const QString& name)
{
    Keyring& keyring = Keyring::shared();
    if (!runUntil([&] { return keyring.state() != Keyring::State::Unknown; }))
        fail(QStringLiteral("save-site: the keyring did not answer in time"));
    if (const QString problem = controller->saveSiteAs(name); !problem.isEmpty())
        fail(QStringLiteral("save-site: ") + problem);
    if (!runUntil([&] { return keyring.pending() == 0; }))
        fail(QStringLiteral("save-site: the keyring did not answer in time"));
}

// One line per saved site: its name and the link it connects to, never a password.
void Driver::printSites()
{
    for (const Site& site : controller->siteStore->sites) {
        const bool inUse = site.id == UserDefaults::standardUserDefaults().text(Setting::Site) &&
                           !UserDefaults::standardUserDefaults().hasTransientSite();
        const QVariantMap values =
            inUse ? UserDefaults::standardUserDefaults().siteValues(false) : site.values;
        print({QStringLiteral("site"), Controller::siteTitle(site),
               ConnectUrl::ofSiteValues(values).displayText()});
    }
}

} // namespace drive

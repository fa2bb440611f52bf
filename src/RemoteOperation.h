#pragma once

#include <cstdint>
#include <optional>

#include <QByteArray>
#include <QObject>
#include <QString>

#include "ListingEntry.h"
#include "OperationOutcome.h"

class Controller;
class RemoteFolder;

// What the window's remote operations (download, upload, create folder, delete, rename) share: the
// controller outlet, the signals a transfer's watchers hear, and the rule that one of them runs at
// a time. A second start while one runs (a disconnect and a new connect enable the buttons again)
// is refused, never allowed to replace the running operation's streams.
class RemoteOperation : public QObject
{
    Q_OBJECT

public:
    explicit RemoteOperation(OperationOutcome::Action action, QObject* parent = nullptr);
    ~RemoteOperation() override;

    // Outlets: set once at start-up.
    Controller* controller = nullptr;
    const RemoteFolder* remote = nullptr;
    // A helper moves a folder's files beside the operation that holds the slot, on a connection
    // of its own, and never takes the slot itself.
    bool helper = false;
    // The queue holds the browser buttons over a folder's or a batch's files, moved with this
    // operation too: a file's end leaves them to it, as a helper's does, rather than enabling
    // them for the moment until the next file.
    bool buttonsHeld = false;

    // Whether this operation holds the one-operation slot now (a helper: whether it runs).
    bool isRunning() const { return helper ? helperRunning : sRunning == this; }
    // The operation running now, or none.
    static const RemoteOperation* running() { return sRunning; }
    // How many helpers move files now, beside or after the operation that holds the slot.
    static int helpersRunning() { return sHelpersRunning; }
    // Whether this operation moves a file now (a download or upload that the user may cancel).
    virtual bool isTransferring() const { return false; }
    // Stops the running transfer at once; it ends as Cancelled. Harmless when none runs.
    virtual void cancel() {}
    // Cancels whatever transfer runs now: for the Cancel button, Esc and the disconnect.
    static void cancelRunning();

signals:
    // A transfer of the local file at localPath started (the download's target, the upload's
    // source). The queue display and the queue list both listen.
    void started(OperationOutcome::Action action, const QString& localPath);
    // A transfer moved bytes: done of total (0: not known). The queue display and the queue
    // list both listen.
    void progressed(int64_t done, int64_t total);
    // The operation ended, with how.
    void finished(const OperationOutcome& outcome);

protected:
    // Tells the watchers that this operation's transfer of localPath started.
    void announceStart(const QString& localPath) { emit started(action, localPath); }
    // An outcome of this operation's action.
    OperationOutcome outcome(OperationOutcome::Kind kind, const QString& detail = {}) const;
    // Takes the slot; when another operation holds it, says so in the status line and answers
    // false.
    bool beginOperation();
    // Gives the slot back without a result: the user cancelled, or a start was refused.
    void abandonOperation();
    // Gives the slot back and reports the end.
    void endOperation(const OperationOutcome& outcome);
    // Shows an outcome in the status line.
    void report(const OperationOutcome& outcome);
    // Refuses to start on a name no request may carry, saying why in the status line.
    OperationOutcome refuseName(const QString& name, const QString& why);

    // The entry of the selected row, or none.
    const ListingEntry* selectedEntry() const;

private:
    const OperationOutcome::Action action;
    bool helperRunning = false;
    static RemoteOperation* sRunning;
    static int sHelpersRunning;
};

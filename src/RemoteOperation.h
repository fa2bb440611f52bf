#pragma once

#include <cstdint>
#include <optional>

#include <QByteArray>
#include <QObject>
#include <QString>

#include "ListingEntry.h"

class Controller;

// What the window's four remote operations share: the controller outlet, the queue display
// they drive, and the rule that one of them runs at a time. A second start while one runs (a
// disconnect and a new connect enable the buttons again) is refused, never allowed to replace
// the running operation's streams.
class RemoteOperation : public QObject
{
    Q_OBJECT

public:
    explicit RemoteOperation(QObject* parent = nullptr);
    ~RemoteOperation() override;

    // Outlet: set once at start-up.
    Controller* controller = nullptr;

    // Whether this operation holds the one-operation slot now.
    bool isRunning() const { return sRunning == this; }
    // The operation running now, or none.
    static const RemoteOperation* running() { return sRunning; }

    // The name bytes of an entry as the server sent them (its shown name when none were kept).
    static QByteArray rawNameOf(const ListingEntry& entry);
    // Every byte outside the unreserved set escaped: for a login, or a name appended to a URL
    // as one path component.
    static QString escapeComponent(const QByteArray& bytes);

signals:
    // The operation ended: no status after a success, its status text after a failure.
    void finished(const std::optional<QString>& status);
    // The download or upload set its queue display: at the start, after each chunk, at the reset.
    void queueDisplayChanged();

protected:
    // Takes the slot; when another operation holds it, says so in the status line and answers
    // false.
    bool beginOperation();
    // Gives the slot back without a result: the user cancelled, or a start was refused.
    void abandonOperation();
    // Gives the slot back and reports the end.
    void endOperation(const std::optional<QString>& status);

    // The entry of the selected row, or none.
    const ListingEntry* selectedEntry() const;

    // The queue display of a transfer starting: the arrow, the tool tips, both bars shown.
    void showQueueStart(const QString& arrow, const char* key, const QString& localPath);
    // After each chunk: the whole percentage done, on both bars (the second one emptying for an
    // upload). Without a size, or past the size announced, the label counts the bytes and the
    // bars stay as they are.
    void showQueueProgress(int64_t doneBytes, int64_t totalBytes, bool emptyingSecondBar);
    // At the end, success or failure: everything cleared and hidden, in the window's reading
    // order.
    void resetQueueDisplay();
    // A failure's status in the status line, with the reason behind it when there is one.
    void showFailure(const QString& status, const QString& detail);

private:
    static RemoteOperation* sRunning;
    // The percentage the queue display shows now; -1 when it shows none.
    int64_t shownPercent = -1;
};

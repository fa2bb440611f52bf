#pragma once

#include <cstdint>

#include <QObject>
#include <QString>

#include "OperationOutcome.h"

class QLabel;
class QProgressBar;
class QPushButton;

// The queue tab's display of the running download or upload: the arrow, two bars and the whole
// percentage. The transfers tell it what happens; only it paints those widgets.
class QueueDisplay final : public QObject
{
    Q_OBJECT

public:
    // cancelButton shows only while a transfer runs.
    QueueDisplay(QLabel* taskTypeLabel, QProgressBar* progress, QProgressBar* progress0,
                 QLabel* percentageLabel, QPushButton* cancelButton, QObject* parent = nullptr);

    // A download or upload of the local file at localPath starts: the arrow with the action as
    // its tool tip, the local path on the bars, both shown; an upload's second bar starts full
    // and empties.
    void showStart(OperationOutcome::Action action, const QString& localPath);
    // After each chunk: the whole percentage done, on both bars. Without a size, or past the size
    // announced, the label counts the bytes and the bars stay as they are.
    void showProgress(int64_t doneBytes, int64_t totalBytes);
    // At the end, success or failure: everything cleared and hidden, in the window's reading
    // order. While held, only the tool tips go.
    void reset();
    // Held while the queue moves a folder's files: hiding the bars and the cancel button at one
    // file's end and showing them again at the next one's start would only repaint the window,
    // and the cancel button stops the whole folder meanwhile. Let go, the display is reset.
    void hold(bool held);

    Q_DISABLE_COPY_MOVE(QueueDisplay)

signals:
    // The display changed: at the start, after each chunk, at the reset.
    void changed();

private:
    QLabel* taskTypeLabel;
    QProgressBar* progress;
    QProgressBar* progress0;
    QLabel* percentageLabel;
    QPushButton* cancelButton;
    bool emptying = false;
    bool held = false;
    // The percentage shown now; -1 when none is.
    int64_t shownPercent = -1;
};

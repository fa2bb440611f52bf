#include "Classes/QueueDisplay.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "Classes/Controller.h"
#include "MiscTool.h"

namespace {

// The arrows with the emoji presentation selector.
const QString kDownArrow = QStringLiteral("\u2B07\uFE0F");
const QString kUpArrow = QStringLiteral("\u2B06\uFE0F");

} // namespace

QueueDisplay::QueueDisplay(QLabel* taskTypeLabel, QProgressBar* progress, QProgressBar* progress0,
                           QLabel* percentageLabel, QPushButton* cancelButton, QObject* parent)
    : QObject(parent)
    , taskTypeLabel(taskTypeLabel)
    , progress(progress)
    , progress0(progress0)
    , percentageLabel(percentageLabel)
    , cancelButton(cancelButton)
{}

void QueueDisplay::showStart(OperationOutcome::Action kind, const QString& localPath)
{
    const bool upload = kind == OperationOutcome::Action::Upload;
    const QString arrow = upload ? kUpArrow : kDownArrow;
    const QString action = Controller::localizedString(upload ? "Upload" : "Download");
    emptying = upload;
    shownPercent = -1;
    taskTypeLabel->setText(arrow);
    taskTypeLabel->setToolTip(action);
    progress->setToolTip(localPath);
    progress->show();
    progress0->setToolTip(action + QLatin1Char(':') + localPath);
    progress0->show();
    if (emptying)
        progress0->setValue(100);
    cancelButton->show();
    emit changed();
}

void QueueDisplay::showProgress(int64_t doneBytes, int64_t totalBytes)
{
    // A server that understated the size would show more than 100%: count the bytes instead.
    if (totalBytes > 0 && doneBytes <= totalBytes) {
        // Whole numbers: signed 64-bit division truncates, so 100 only when all is done.
        const int64_t percent = doneBytes * 100 / totalBytes;
        // A GiB is 32,768 chunks and 101 percentages: the widgets change only with the number.
        if (percent != shownPercent) {
            shownPercent = percent;
            const float p = static_cast<float>(percent);
            progress->setValue(static_cast<int>(p));
            progress0->setValue(static_cast<int>(emptying ? 100.0f - p : p));
            percentageLabel->setText(QString::asprintf("%.0f%%", static_cast<double>(p)));
        }
    } else {
        shownPercent = -1;
        percentageLabel->setText(MiscTool::convertBytes(static_cast<uint64_t>(doneBytes)));
    }
    emit changed();
}

void QueueDisplay::reset()
{
    shownPercent = -1;
    if (held) {
        // The next file's start and progress replace the rest: repainting it in between would
        // show nothing anyone could read.
        taskTypeLabel->setToolTip(QString());
        progress->setToolTip(QString());
        progress0->setToolTip(QString());
        emit changed();
        return;
    }
    taskTypeLabel->setText(QString());
    taskTypeLabel->setToolTip(QString());
    progress->setToolTip(QString());
    progress->setValue(0);
    progress->hide();
    percentageLabel->setText(QString());
    progress0->setToolTip(QString());
    progress0->setValue(0);
    progress0->hide();
    cancelButton->hide();
    emit changed();
}

void QueueDisplay::hold(bool keep)
{
    if (held == keep)
        return;
    held = keep;
    if (!held)
        reset();
}

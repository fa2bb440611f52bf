#include "RemoteOperation.h"

#include <QLabel>
#include <QProgressBar>

#include "Classes/Controller.h"
#include "MiscTool.h"

RemoteOperation* RemoteOperation::sRunning = nullptr;

RemoteOperation::RemoteOperation(QObject* parent)
    : QObject(parent)
{}

RemoteOperation::~RemoteOperation()
{
    if (sRunning == this)
        sRunning = nullptr;
}

QByteArray RemoteOperation::rawNameOf(const ListingEntry& entry)
{
    if (!entry.rawName.isEmpty())
        return entry.rawName;
    return MiscTool::getFileName(entry).value_or(QString()).toUtf8();
}

QString RemoteOperation::escapeComponent(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toPercentEncoding());
}

bool RemoteOperation::beginOperation()
{
    if (sRunning) {
        controller->showStatus(QStringLiteral("Refused: another transfer or folder operation is "
                                              "still running"));
        return false;
    }
    sRunning = this;
    return true;
}

void RemoteOperation::abandonOperation()
{
    if (sRunning == this)
        sRunning = nullptr;
}

void RemoteOperation::endOperation(const std::optional<QString>& status)
{
    abandonOperation();
    emit finished(status);
}

const ListingEntry* RemoteOperation::selectedEntry() const
{
    const int row = controller->selectedRow();
    if (row < 0 || !controller->listEntries || row >= controller->listEntries->size())
        return nullptr;
    return &controller->listEntries->at(row);
}

void RemoteOperation::showQueueStart(const QString& arrow, const char* key,
                                     const QString& localPath)
{
    const QString action = Controller::localizedString(key);
    shownPercent = -1;
    controller->taskTypeLabel->setText(arrow);
    controller->taskTypeLabel->setToolTip(action);
    controller->progress->setToolTip(localPath);
    controller->progress->show();
    controller->progress0->setToolTip(action + QLatin1Char(':') + localPath);
    controller->progress0->show();
}

void RemoteOperation::showQueueProgress(int64_t doneBytes, int64_t totalBytes,
                                        bool emptyingSecondBar)
{
    // A server that understated the size would show more than 100%: count the bytes instead.
    if (totalBytes > 0 && doneBytes <= totalBytes) {
        // Whole numbers: signed 64-bit division truncates, so 100 only when all is done.
        const int64_t percent = doneBytes * 100 / totalBytes;
        // A GiB is 32,768 chunks and 101 percentages: the widgets change only with the number.
        if (percent == shownPercent) {
            emit queueDisplayChanged();
            return;
        }
        shownPercent = percent;
        const float p = static_cast<float>(percent);
        controller->progress->setValue(static_cast<int>(p));
        controller->progress0->setValue(static_cast<int>(emptyingSecondBar ? 100.0f - p : p));
        controller->percentageLabel->setText(QString::asprintf("%.0f%%", static_cast<double>(p)));
    } else {
        shownPercent = -1;
        controller->percentageLabel->setText(
            MiscTool::convertBytes(static_cast<uint64_t>(doneBytes)));
    }
    emit queueDisplayChanged();
}

void RemoteOperation::resetQueueDisplay()
{
    shownPercent = -1;
    controller->taskTypeLabel->setText(QString());
    controller->taskTypeLabel->setToolTip(QString());
    controller->progress->setToolTip(QString());
    controller->progress->setValue(0);
    controller->progress->hide();
    controller->percentageLabel->setText(QString());
    controller->progress0->setToolTip(QString());
    controller->progress0->setValue(0);
    controller->progress0->hide();
    emit queueDisplayChanged();
}

void RemoteOperation::showFailure(const QString& status, const QString& detail)
{
    controller->showStatus(detail.isEmpty() ? status : status + QStringLiteral(": ") + detail);
}

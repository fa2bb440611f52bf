#pragma once
// What the queue's source files share: texts, figures and local paths as the rows show them.

#include <sys/stat.h>

#include <QFile>
#include <QFileInfo>
#include <QString>

#include "Classes/TransferQueue.h"
#include "MiscTool.h"
#include "OperationOutcome.h"

namespace transfer_queue {

// The running row is repainted at most this often: a chunk arrives every few microseconds.
inline constexpr qint64 kShowEveryMs = 250;

inline QString text(const char* id, const char* english)
{
    return OperationOutcome::localizedText(id, english);
}

// A local folder as the user knows it: the home folder shown as "~".
inline QString shownFolder(const QString& path)
{
    const QString home = MiscTool::getUserHome();
    if (home != QLatin1String("/") && (path == home || path.startsWith(home + QLatin1Char('/'))))
        return QLatin1Char('~') + path.mid(home.size());
    return path;
}

// Bytes per second of this run alone: a continued download's bytes already on the disk
// were not moved now.
inline double speedOf(const TransferQueue::Transfer& transfer)
{
    const double seconds = static_cast<double>(transfer.clock.elapsed()) / 1000.0;
    const int64_t moved = transfer.doneBytes - transfer.bytesBeforeRun;
    return seconds > 0 && moved > 0 ? static_cast<double>(moved) / seconds : 0;
}

// Anything at all of that name, a dangling link too: one lstat.
inline bool existsOrDangles(const QString& path)
{
    struct stat info = {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

} // namespace transfer_queue

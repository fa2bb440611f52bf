// What a folder's download or upload does with a file whose target is already there.

#include <functional>

#include <QDir>
#include <QFileInfo>
#include <QTimer>

#include "Classes/Controller.h"
#include "Classes/RemoteFolder.h"
#include "Classes/TransferQueue.h"
#include "Classes/TransferQueueParts.h"
#include "DownloadDelegate.h"
#include "MiscTool.h"
#include "platform/Log.h"
#include "platform/toolkit/Toolkit.h"

using namespace transfer_queue;

namespace {

// Whether the local file is the listed one still: a regular file of the listed size (where the
// listing gives one that is the file's own) and not older than the listed date (a file changed
// on the server since it was fetched). A listing that gives neither tells nothing: it differs.
bool sameAsListed(const TreeWalk::File& file, const QString& localPath)
{
    const QFileInfo local(localPath);
    if (local.isSymLink() || !local.isFile())
        return false;
    const std::optional<int64_t> size = file.link ? std::nullopt : file.entry.kCFFTPResourceSize;
    const std::optional<QDateTime>& date = file.entry.kCFFTPResourceModDate;
    if (!size && !date)
        return false;
    if (size && *size != local.size())
        return false;
    return !date || !date->isValid() || *date <= local.lastModified();
}

// Whether the local file was changed after the server's file of its name was: a listing gives
// the time to the minute at best.
bool changedAfter(const QFileInfo& local, const ListingEntry& there)
{
    const std::optional<QDateTime>& date = there.kCFFTPResourceModDate;
    return date && date->isValid() && local.lastModified() > date->addSecs(60);
}

// The bytes of the server's file of an upload's name, as listed; none for a folder or link.
std::optional<int64_t> sizeThere(const TreeWalk::File& file)
{
    if (!file.existing || RemoteFolder::isFolder(*file.existing))
        return std::nullopt;
    return file.existing->kCFFTPResourceSize;
}

// "name (2).ext", "name (3).ext", ...: the first name that taken does not hold; none after many.
QString freeName(const QString& name, const std::function<bool(const QString&)>& taken)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const bool hasExtension = dot > 0;
    const QString stem = hasExtension ? name.left(dot) : name;
    const QString extension = hasExtension ? name.mid(dot) : QString();
    for (int n = 2; n < 10000; ++n) {
        const QString candidate = QStringLiteral("%1 (%2)%3").arg(stem).arg(n).arg(extension);
        if (!taken(candidate))
            return candidate;
    }
    return {};
}

} // namespace

bool TransferQueue::settleExisting(const TreeWalk::File& file, QString& name, QString& localPath,
                                   int64_t& appendFrom)
{
    if (!items[running].onExists) {
        // Nothing else starts while the question is open.
        const TreeWalk* asking = items[running].walk.get();
        takingNext = true;
        const std::optional<OnExists> chosen = onExists ? onExists : askOnExists(name);
        takingNext = false;
        if (running < 0 || items[running].walk.get() != asking)
            return false;
        if (!chosen) {
            cancelFolder();
            return false;
        }
        items[running].onExists = chosen;
    }
    Transfer& transfer = items[running];
    const OnExists choice = *transfer.onExists;
    const bool down = transfer.direction == Direction::Download;
    bool keep = choice == OnExists::Skip;
    if (down && (choice == OnExists::IfDifferent || choice == OnExists::Resume)) {
        const bool continues =
            choice == OnExists::Resume &&
            DownloadDelegate::hasPartialOf(file.entry, file.remoteFolder(), localPath);
        keep = !continues && sameAsListed(file, localPath);
    } else if (!down && (choice == OnExists::IfDifferent || choice == OnExists::Resume)) {
        const QFileInfo local(localPath);
        const std::optional<int64_t> there = sizeThere(file);
        // Appended to only while what the server holds may be the local file's start.
        if (choice == OnExists::Resume && there && *there > 0 && *there < local.size() &&
            !changedAfter(local, *file.existing))
            appendFrom = *there;
        keep = appendFrom == 0 && there == local.size() && !changedAfter(local, *file.existing);
    }
    if (keep) {
        ++transfer.filesSkipped;
        rowChanged(running);
        // Out of this call: a tree of files all kept would otherwise nest a call per file.
        QTimer::singleShot(0, this, &TransferQueue::folderStep);
        return false;
    }
    if (choice != OnExists::KeepBoth)
        return true;
    const QString free =
        down ? freeName(name,
                        [&](const QString& candidate) {
                            return existsOrDangles(QDir(file.localFolder()).filePath(candidate));
                        })
             : freeName(name, [&](const QString& candidate) {
                   return file.between->namesThere.contains(candidate);
               });
    if (free.isEmpty()) {
        ++transfer.filesFailed;
        //% "no free name beside the file there"
        transfer.problems.append(
            Log::printable(
                QDir(QFileInfo(transfer.localPath).absolutePath()).relativeFilePath(localPath)) +
            QStringLiteral(": ") + text("QueueNoFreeName", "no free name beside the file there"));
        rowChanged(running);
        QTimer::singleShot(0, this, &TransferQueue::folderStep);
        return false;
    }
    name = free;
    if (down)
        localPath = QDir(file.localFolder()).filePath(name);
    else
        // Taken from now on: no other file of the folder gets it.
        file.between->namesThere.insert(name);
    return true;
}

std::optional<TransferQueue::OnExists> TransferQueue::askOnExists(const QString& name)
{
    const QList<std::pair<OnExists, QString>> choices = {
        //% "Overwrite"
        {OnExists::Overwrite, text("QueueExistsOverwrite", "Overwrite")},
        //% "Overwrite if the size or date differs"
        {OnExists::IfDifferent,
         text("QueueExistsIfDifferent", "Overwrite if the size or date differs")},
        //% "Resume"
        {OnExists::Resume, text("QueueExistsResume", "Resume")},
        //% "Skip"
        {OnExists::Skip, text("QueueExistsSkip", "Skip")},
        //% "Keep both"
        {OnExists::KeepBoth, text("QueueExistsKeepBoth", "Keep both")},
    };
    Toolkit::Alert alert;
    //% "\"%1\" is already there"
    alert.messageText =
        text("QueueExistsTitle", "\"%1\" is already there").arg(Log::printable(name));
    //% "What happens to it and to the other files of this folder already there?"
    alert.informativeText =
        text("QueueExistsInfo",
             "What happens to it and to the other files of this folder already there?");
    for (const auto& choice : choices)
        alert.choices.append(choice.second);
    //% "Go on"
    alert.defaultButton = text("QueueExistsGoOn", "Go on");
    alert.alternateButton = Controller::localizedString("Cancel");
    const Toolkit::AlertAnswer answer = Toolkit::shared().runModalAlert(alert);
    if (answer.code != Toolkit::kDefaultReturn)
        return std::nullopt;
    for (const auto& choice : choices)
        if (choice.second == answer.text)
            return choice.first;
    return std::nullopt;
}

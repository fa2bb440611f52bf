#include "PartialRecord.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace {

// A record is a few hundred bytes; anything larger there is not one.
constexpr qint64 kLargestRecord = 16 * 1024;
const QLatin1String kKind("tandrel-partial-download");

// The file's bytes, read without following a link; none unless it is a small regular file.
std::optional<QByteArray> readSmallFile(const QString& path)
{
    // Without waiting: a FIFO put there would hold open() until a writer came.
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    QFile file;
    struct stat info = {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > kLargestRecord ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return std::nullopt;
    }
    return file.read(kLargestRecord);
}

} // namespace

QString PartialRecord::pathFor(const QString& partialFile)
{
    return partialFile + QStringLiteral(".resume");
}

std::optional<PartialRecord> PartialRecord::readFor(const QString& partialFile)
{
    const std::optional<QByteArray> bytes = readSmallFile(pathFor(partialFile));
    if (!bytes)
        return std::nullopt;
    const QJsonObject object = QJsonDocument::fromJson(*bytes).object();
    if (object.value(QLatin1String("kind")).toString() != kKind ||
        !object.value(QLatin1String("url")).isString() ||
        !object.value(QLatin1String("user")).isString())
        return std::nullopt;
    PartialRecord record;
    record.url = object.value(QLatin1String("url")).toString();
    record.user = object.value(QLatin1String("user")).toString();
    record.size = object.value(QLatin1String("size")).toInteger(-1);
    record.length = object.value(QLatin1String("length")).toInteger(-1);
    record.modified = object.value(QLatin1String("modified")).toString().toLatin1();
    if (record.size < 0 || record.length < 0)
        return std::nullopt;
    return record;
}

bool PartialRecord::writeFor(const QString& partialFile) const
{
    const QString path = pathFor(partialFile);
    const QFileInfo existing(path);
    if ((existing.exists() || existing.isSymLink()) && !readFor(partialFile))
        return false;
    QJsonObject object{{QLatin1String("kind"), kKind},
                       {QLatin1String("url"), url},
                       {QLatin1String("user"), user},
                       {QLatin1String("size"), static_cast<qint64>(size)},
                       {QLatin1String("length"), static_cast<qint64>(length)}};
    if (!modified.isEmpty())
        object.insert(QLatin1String("modified"), QString::fromLatin1(modified));
    // Written aside and renamed into place: a crash never leaves half a record.
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) &&
           file.write(QJsonDocument(object).toJson(QJsonDocument::Compact)) >= 0 && file.commit();
}

void PartialRecord::removeFor(const QString& partialFile)
{
    if (readFor(partialFile))
        QFile::remove(pathFor(partialFile));
}

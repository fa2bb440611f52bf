#include "TestFiles.h"

#include <chrono>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size()) << path.toStdString();
}

void writeFiles(const QString& folder, const QList<std::pair<QString, QByteArray>>& files)
{
    for (const auto& [path, bytes] : files) {
        const QString full = QDir(folder).filePath(path);
        ASSERT_TRUE(QDir().mkpath(QFileInfo(full).path())) << full.toStdString();
        writeFile(full, bytes);
    }
}

void writeSparseFile(const QString& path, qint64 size)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.resize(size)) << path.toStdString();
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QByteArray pattern(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7919) >> 3);
    return bytes;
}

QStringList folderEntries(const QString& path)
{
    return QDir(path).entryList(
        QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
}

FifoWatch::FifoWatch(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    EXPECT_EQ(::mkfifo(name.constData(), 0600), 0) << path.toStdString();
    watcher = std::thread([this, name] {
        std::unique_lock guard(lock);
        if (released.wait_for(guard, std::chrono::seconds(30), [this] { return done; }))
            return;
        steppedIn = true;
        const int fd = ::open(name.constData(), O_RDWR | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
    });
}

bool FifoWatch::release()
{
    {
        std::lock_guard guard(lock);
        done = true;
    }
    released.notify_all();
    if (watcher.joinable())
        watcher.join();
    return steppedIn;
}

SmallDisk::SmallDisk()
{
    getrlimit(RLIMIT_FSIZE, &previous);
    rlimit small = previous;
    small.rlim_cur = 64 * 1024;
    previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    works = setrlimit(RLIMIT_FSIZE, &small) == 0;
}

SmallDisk::~SmallDisk()
{
    if (works)
        setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);
}

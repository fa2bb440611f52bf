#pragma once

#include <condition_variable>
#include <csignal>
#include <mutex>
#include <ostream>
#include <sys/resource.h>
#include <thread>

#include <QByteArray>
#include <QStringList>

// A failed comparison shows a string as its text, not as its UTF-16 code units.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

// Files for tests to serve, upload and compare; a failed write fails the test.
void writeFile(const QString& path, const QByteArray& bytes);
// Writes each file below folder (path, bytes), making the folders on its path.
void writeFiles(const QString& folder, const QList<std::pair<QString, QByteArray>>& files);
// A sparse file of that size: far more than the stream's buffer and the sockets' hold.
void writeSparseFile(const QString& path, qint64 size = 24 * 1024 * 1024);
// The file's bytes, or "<missing>".
QByteArray readFile(const QString& path);
// Bytes that differ from their neighbours, so that a lost or repeated chunk shows.
QByteArray pattern(qsizetype size);
// The folder's entries by name, hidden ones included.
QStringList folderEntries(const QString& path);

// A FIFO at path, where a file is expected. Code that opens it and waits for the other end
// would hang the test: after 30 s a thread of the watch opens it both ways and closes it again,
// which ends such a wait, and release() then answers true.
class FifoWatch final
{
public:
    explicit FifoWatch(const QString& path);
    ~FifoWatch() { release(); }
    // Ends the watch; whether a wait had to be ended.
    bool release();

    Q_DISABLE_COPY_MOVE(FifoWatch)

private:
    std::mutex lock;
    std::condition_variable released;
    bool done = false;
    bool steppedIn = false;
    std::thread watcher;
};

// A download folder that is full after 64 KiB: past a limit on the size of the files this
// process writes, writes fail with EFBIG. No file system of its own, which only root could mount.
class SmallDisk final
{
public:
    SmallDisk();
    ~SmallDisk();
    Q_DISABLE_COPY_MOVE(SmallDisk)

    bool works = false;

private:
    rlimit previous{};
    void (*previousHandler)(int) = SIG_DFL;
};

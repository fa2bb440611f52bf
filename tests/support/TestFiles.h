#pragma once

#include <QByteArray>
#include <QStringList>

// Files for tests to serve, upload and compare; a failed write fails the test.
void writeFile(const QString& path, const QByteArray& bytes);
// A sparse file of that size: far more than the stream's buffer and the sockets' hold.
void writeSparseFile(const QString& path, qint64 size = 24 * 1024 * 1024);
// The file's bytes, or "<missing>".
QByteArray readFile(const QString& path);
// Bytes that differ from their neighbours, so that a lost or repeated chunk shows.
QByteArray pattern(qsizetype size);
// The folder's entries by name, hidden ones included.
QStringList folderEntries(const QString& path);

#pragma once

#include <functional>
#include <optional>

#include <QElapsedTimer>
#include <QPoint>
#include <QStringList>
#include <QTimer>

#include "drive/DriveOptions.h"

class Controller;
class QEventLoop;
class QPushButton;
class RemoteOperation;
class TandrelApp;

namespace drive {

class DriveToolkit;

// Drives the window through the steps, as a user's clicks and keys would, and prints what it
// shows. The steps live in DriverSteps.cpp, the printing in DrivePrinting.cpp.
class Driver
{
public:
    Driver(TandrelApp* app, DriveToolkit* toolkit, const Options& options);
    ~Driver() { beforeFailing = nullptr; }

    // Before the window is built: a returning user's saved SFTP server, when the options name it
    // with the same login, is logged in to while the window is built, as the connect then finds
    // it.
    static void prepareConnection(const Options& options);
    void fillSettings();
    void connect();
    void run();

private:
    // Waiting
    void waitForListing(const QString& step);
    bool runUntil(const std::function<bool()>& done);
    void wake();

    // The steps
    void navigate(const std::function<void()>& action);
    void enter(const QString& name);
    void sortBy(const QString& column, const QString& direction);
    void rename(const QString& oldName, const QString& newName);
    QPoint selectRow(const QString& name);
    QPoint rowPoint(const QString& name);
    void operate(RemoteOperation* operation, QPushButton* button, const QString& step,
                 const QString& argument);
    void selectRows(const QStringList& names);
    void runQueue(QPushButton* button, const QString& what, bool reloads);
    void saveSite(const QString& name);

    // The printing
    void noteLastGap();
    void printFigures();
    QStringList queueDisplay() const;
    void printQueueDisplay();
    void printEncryption();
    void printRows();
    void printSites();

    TandrelApp* app;
    Controller* controller;
    DriveToolkit* toolkit;
    Options options;
    bool listingRunning = false;
    bool operationEnded = false;
    bool queueDrained = false;
    QEventLoop* waiting = nullptr;
    std::optional<QString> operationStatus;
    // cancel-at: the percentage at which the next transfer is cancelled; whether it was.
    std::optional<int> cancelAt;
    bool cancelled = false;
    QStringList lastQueueDisplay;
    QTimer stallTimer;
    QElapsedTimer sinceTick;
    QElapsedTimer connectClock;
    qint64 longestStallMs = 0;
    // With TANDREL_STALL_LOG set, a gap over 12 ms is printed to standard error with its end (on
    // CLOCK_MONOTONIC, as `perf record -k CLOCK_MONOTONIC` stamps its samples) and the window
    // thread's CPU time in it, to find what held the loop.
    void noteStall(qint64 gapMs);
    double cpuAtTick = 0;
};

} // namespace drive

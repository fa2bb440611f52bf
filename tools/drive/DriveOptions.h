#pragma once

#include <functional>

#include <QString>
#include <QStringList>

// What tandrel-drive is told on its command line, and how it prints and fails.
namespace drive {

struct Options
{
    QString host, port, dir, user, password;
    bool anonymous = false;
    bool active = false;
    QString proxyHost, proxyPort, proxyUser, proxyPassword;
    QString downloadFolder;
    QString encryption;
    QString trustFingerprint;
    QString protocol, keyFile, passphrase;
    QString settings;
    QString site; // a saved site to connect with, instead of the options above
    QString url;  // a link to connect to, as the command line opens it
    // How many files of a folder move at once: the "Transfers at once" setting.
    QString connections;
    // What a folder transfer does with a file already there: overwrite, newer, resume, skip,
    // rename.
    QString onExists;
    bool timing = false;
    // The Queue tab in front, each folder's row opened as it is queued.
    bool openQueue = false;
    int timeoutSeconds = 300;
    QStringList steps;
};

// Prints one line of tab-separated fields and flushes it.
void print(const QStringList& fields);

// Every step's word: a list of names or files ends before the next of them.
extern const QStringList kSteps;

// What the driver prints before a failure ends the run, once it drives a window.
extern std::function<void()> beforeFailing;

// Prints what beforeFailing prints, then the reason on standard error, and ends the run with
// exit status 1.
[[noreturn]] void fail(const QString& reason);

Options parseOptions(const QStringList& args);

// The folder --settings names, read before the application reads any settings.
QString settingsOption(int argc, char* argv[]);

} // namespace drive

#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

// The window's widgets and parts as the tests drive and read them.
#include "Classes/Controller.h"
#include "Classes/QueueDisplay.h"
#include "CustomWindow.h"
#include "DownloadDelegate.h"
#include "FtpServer.h"
#include "MiscTool.h"
#include "RemoteOperation.h"
#include "ScriptedToolkit.h"
#include "TandrelApp.h"
#include "TempSettings.h"
#include "TestFiles.h"
#include "UploadDelegate.h"
#include "platform/UserDefaults.h"

// What one remote operation shows and how it ends: each state of the queue display it signals,
// as "label|progress|progress0", and its final status.
class OperationRecorder final
{
public:
    OperationRecorder(RemoteOperation* operation, Controller* controller);
    // Waits, bounded, for the operation's end; false on time-out.
    bool waitForEnd(int timeoutMs = 60000);

    QStringList states;
    bool ended = false;
    std::optional<QString> status;

private:
    QObject context; // the connections end with the recorder
};

// The real window, offscreen, over throwaway settings, with a real FTP server to talk to and
// dialogs answered by a script.
class WindowFixture : public ::testing::Test
{
protected:
    // Starts the server (anonymous, writable) over a root the test has filled.
    void startServer(const FtpServer::Options& options = {});
    // With the options that set() changes.
    void startServer(const std::function<void(FtpServer::Options&)>& set)
    {
        FtpServer::Options options;
        set(options);
        startServer(options);
    }
    // Creates the window as start-up does; the store may be prepared before.
    void startApp();
    // Closes the window and starts it again over the settings it left, as a new run would.
    void restartApp()
    {
        app.reset();
        settings.restart();
        startApp();
    }
    // Types the server's address (port 0: the fixture's server) into the settings and connects,
    // anonymously or with a named login.
    void connectAnonymously(quint16 port = 0) { connectAs({}, {}, port); }
    void connectAs(const QString& user, const QString& password, quint16 port = 0);
    // Connects anonymously (starting the window first if the test has not), waits for the root's
    // listing and points downloads at a fresh folder.
    void connectAndList(quint16 port = 0);
    // Waits, bounded, until the running listing ends; false on time-out.
    bool waitForListing(int timeoutMs = 60000)
    {
        // A connect may first wait for the keyring's answer about the password.
        return QTest::qWaitFor([this] { return !c->awaitingSecrets() && !c->isReceiving(); },
                               timeoutMs);
    }
    // The row whose name cell is name, -1 when none.
    int rowNamed(const QString& name) const;
    QString cell(const char* column, int row) const
    {
        return c->tableViewObjectValue(QLatin1String(column), row);
    }
    // Selects the row and double-clicks it, as a user does.
    void doubleClickRow(int row);
    // Clicks the row, as a user selects it (Ctrl: adds it to the selection).
    void selectRow(int row, Qt::KeyboardModifiers modifiers = {});
    // Selects the row of that name and presses download.
    void downloadRow(const QString& name);
    // Downloads the row of that name and stops the server once bytes have come: the download
    // keeps running, waiting for more.
    void stallDownload(const QString& name);
    // Runs start() and waits, bounded, for the operation's end; answers its final status (none
    // on success, "<no end>" on time-out) and, when asked, the queue display's states.
    std::optional<QString> runToEnd(RemoteOperation* operation, const std::function<void()>& start,
                                    QStringList* states = nullptr);
    std::optional<QString> downloadAndWait(const QString& name, QStringList* states = nullptr)
    {
        return runToEnd(
            download(), [&] { downloadRow(name); }, states);
    }
    // Answers the open panel with the files and presses upload.
    void uploadFiles(const QStringList& paths);
    // Brings the window to the front with the table focused, as typed keys need.
    void activate();
    // Adds a row as a hostile server may list it: rawName as sent, shown as UTF-8.
    void addListedEntry(const QByteArray& name, int type = kEntryTypeRegular);
    // The queue display now, as OperationRecorder keeps it.
    QString queueState() const;
    // How many of the six browser buttons are enabled.
    int enabledBrowserButtons() const;
    // Whether the status line begins with prefix; a failure says what it shows.
    ::testing::AssertionResult statusStartsWith(const QString& prefix) const;

    static UserDefaults& store() { return UserDefaults::standardUserDefaults(); }
    Controller* controller() const { return app->controller(); }
    DownloadDelegate* download() const { return app->downloadDelegate(); }
    UploadDelegate* upload() const { return app->uploadDelegate(); }
    QString root() const { return server->root(); }
    QString rootUrl() const { return server->url().toString(); }

    TempSettings settings;
    ScriptedToolkit toolkit;
    std::unique_ptr<FtpServer> server;
    std::unique_ptr<TandrelApp> app;
    Controller* c = nullptr; // the window's, once started
    int listingsEnded = 0;
    QTemporaryDir downloads;
};

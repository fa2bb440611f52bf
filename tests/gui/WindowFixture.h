#pragma once

#include <memory>
#include <optional>

#include <gtest/gtest.h>

#include "Classes/Controller.h"
#include "FtpServer.h"
#include "RemoteOperation.h"
#include "ScriptedToolkit.h"
#include "TandrelApp.h"
#include "TempSettings.h"

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
    // Creates the window as start-up does; the store may be prepared before.
    void startApp();
    // Types the server's address into the settings and connects anonymously.
    void connectAnonymously();
    // The same to another server on 127.0.0.1.
    void connectAnonymouslyTo(quint16 port);
    // The same with a named login.
    void connectAs(const QString& user, const QString& password);
    // Connects anonymously, waits for the root's listing and points downloads at a fresh folder.
    void connectAndList();
    // Waits, bounded, until the running listing ends; false on time-out.
    bool waitForListing(int timeoutMs = 60000);
    // The row whose name cell is name, -1 when none.
    int rowNamed(const QString& name) const;
    QString cell(const char* column, int row) const;
    // Selects the row and double-clicks it, as a user does.
    void doubleClickRow(int row);
    // Clicks the row, as a user selects it.
    void selectRow(int row);
    // The queue display now, as OperationRecorder keeps it.
    QString queueState() const;
    // How many of the six browser buttons are enabled.
    int enabledBrowserButtons() const;

    static void writeFile(const QString& path, const QByteArray& bytes);
    static QByteArray readFile(const QString& path);
    // Bytes that differ from their neighbours, so that a lost or repeated chunk shows.
    static QByteArray pattern(qsizetype size);

    Controller* controller() const { return app->controller(); }
    QString root() const { return server->root(); }
    QString rootUrl() const;

    TempSettings settings;
    ScriptedToolkit toolkit;
    std::unique_ptr<FtpServer> server;
    std::unique_ptr<TandrelApp> app;
    int listingsEnded = 0;
    QTemporaryDir downloads;
};

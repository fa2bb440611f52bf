#pragma once

#include "Classes/Controller.h"
#include "FtpServer.h"
#include "ScriptedToolkit.h"
#include "TandrelApp.h"
#include "TempSettings.h"

#include <gtest/gtest.h>

#include <memory>

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
    // Waits, bounded, until the running listing ends; false on time-out.
    bool waitForListing(int timeoutMs = 60000);
    // The row whose name cell is name, -1 when none.
    int rowNamed(const QString& name) const;
    QString cell(const char* column, int row) const;
    // Selects the row and double-clicks it, as a user does.
    void doubleClickRow(int row);

    Controller* controller() const { return app->controller(); }
    QString root() const { return server->root(); }
    QString rootUrl() const;

    TempSettings settings;
    ScriptedToolkit toolkit;
    std::unique_ptr<FtpServer> server;
    std::unique_ptr<TandrelApp> app;
    int listingsEnded = 0;
};

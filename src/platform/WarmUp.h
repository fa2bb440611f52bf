#pragma once

#include <latch>
#include <thread>

#include <QtGlobal>

// Loads, on a thread of its own, what the window's thread would otherwise stop for on its way to
// the first connection: the font configuration (read when the first widget with text is made),
// libcurl's set-up with its TLS and SSH libraries', and the keyring's client library (loaded when
// the keyring is first asked). Made first thing in main, before the application object; its
// destructor waits for the thread.
class WarmUp final
{
public:
    WarmUp();
    ~WarmUp();

    // Waits until the font configuration is loaded. Called before the window is built: Qt then
    // finds it loaded, where it would otherwise load it a second time beside this thread.
    void waitForFonts() { fontsLoaded.wait(); }

    Q_DISABLE_COPY_MOVE(WarmUp)

private:
    std::latch fontsLoaded{1};
    std::thread thread;
};

#pragma once

#include <QTemporaryDir>

#include "platform/UserDefaults.h"

// Points the settings store at a fresh, empty config folder for the life of one test, so that
// no test reads or writes the user's real settings.
class TempSettings final
{
public:
    TempSettings();
    ~TempSettings();

    QString configHome() const { return dir.path(); }
    // Forgets the open store, as a restart of the application would.
    void restart() { UserDefaults::resetStandardUserDefaults(); }

private:
    QTemporaryDir dir;
    QByteArray previous;
    bool hadPrevious;
};

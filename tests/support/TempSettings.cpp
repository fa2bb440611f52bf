#include "TempSettings.h"

TempSettings::TempSettings()
    : previous(qgetenv("XDG_CONFIG_HOME"))
    , hadPrevious(qEnvironmentVariableIsSet("XDG_CONFIG_HOME"))
{
    qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
    UserDefaults::resetStandardUserDefaults();
}

TempSettings::~TempSettings()
{
    UserDefaults::resetStandardUserDefaults();
    if (hadPrevious)
        qputenv("XDG_CONFIG_HOME", previous);
    else
        qunsetenv("XDG_CONFIG_HOME");
}

#include "platform/WarmUp.h"

#include <dlfcn.h>
#include <fontconfig/fontconfig.h>

#include "platform/Keyring.h"
#include "platform/ftp/CurlOptions.h"

WarmUp::WarmUp()
    : thread([this, loadKeyringClient = Keyring::sessionBusPossible()] {
        // Qt's font database calls FcInit too and finds the configuration loaded (about 24
        // million instructions, the largest part of building the window).
        FcInit();
        fontsLoaded.count_down();
        CurlOptions::globalInit();
        // QtKeychain opens this library by name when the keyring is first asked; opened here, its
        // symbols are bound by then. The handle is never closed: the library stays loaded.
        if (loadKeyringClient)
            dlopen("libsecret-1.so.0", RTLD_LAZY | RTLD_LOCAL);
    })
{}

WarmUp::~WarmUp()
{
    thread.join();
}

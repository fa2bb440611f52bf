#pragma once

#include "Classes/Controller.h"
#include "platform/ftp/FtpStream.h"

// FTP time-outs at a twentieth for the life of one test (1.5 s to connect, 3 s for a reply or
// for data to move, 1.5 s for an upload's verdict), so that failure paths end within seconds.
class ShortTimeouts final
{
public:
    ShortTimeouts() { FtpStream::setTimeoutScale(1.0 / 20); }
    ~ShortTimeouts() { FtpStream::setTimeoutScale(1.0); }
    Q_DISABLE_COPY_MOVE(ShortTimeouts)
};

// Listing limits of a few lines for the life of one test: 10 entries, 4 KiB, 1 KiB a line.
class SmallListingLimits final
{
public:
    SmallListingLimits() { Controller::listingLimits = {10, 4096, 1024}; }
    ~SmallListingLimits() { Controller::listingLimits = {}; }
    Q_DISABLE_COPY_MOVE(SmallListingLimits)
};

#pragma once

#include "platform/ftp/FtpStream.h"

// FTP time-outs at a thirtieth for the life of one test (1 s to connect, 2 s for a reply or for
// data to move, 1 s for an upload's verdict), so that failure paths end within seconds.
class ShortTimeouts final
{
public:
    ShortTimeouts() { FtpStream::setTimeoutScale(1.0 / 30); }
    ~ShortTimeouts() { FtpStream::setTimeoutScale(1.0); }
    Q_DISABLE_COPY_MOVE(ShortTimeouts)
};

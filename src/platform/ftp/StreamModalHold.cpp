#include "platform/ftp/CurlMulti.h"
#include "platform/ftp/FtpStream.h"

StreamModalHold::StreamModalHold()
{
    CurlMulti::takeHold();
}

StreamModalHold::~StreamModalHold()
{
    CurlMulti::releaseHold();
}

#include "platform/Log.h"

#include <algorithm>
#include <cstdio>
#include <syslog.h>

#include <QString>

namespace Log {

namespace {

bool isBidiControl(char16_t c)
{
    return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || c == 0x200E ||
           c == 0x200F || c == 0x061C;
}

bool needsPicture(char16_t c)
{
    return c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0) || isBidiControl(c);
}

} // namespace

QString printable(const QString& message)
{
    // Most texts have nothing to replace: they are handed back as they are, without a copy.
    const auto first = std::find_if(message.cbegin(), message.cend(),
                                    [](QChar ch) { return needsPicture(ch.unicode()); });
    if (first == message.cend())
        return message;
    QString out;
    out.reserve(message.size());
    out.append(message.constData(), first - message.cbegin());
    for (auto it = first; it != message.cend(); ++it) {
        const QChar ch = *it;
        const char16_t c = ch.unicode();
        if (c < 0x20)
            out += QChar(0x2400 + c); // the Control Pictures: NUL, CR, LF, ESC, ...
        else if (c == 0x7F)
            out += QChar(0x2421);
        else if ((c >= 0x80 && c < 0xA0) || isBidiControl(c))
            out += QChar(0xFFFD);
        else
            out += ch;
    }
    return out;
}

void line(const QString& message)
{
    static const bool opened = [] {
        openlog("tandrel", LOG_PID, LOG_USER);
        return true;
    }();
    (void)opened;
    const QByteArray text = printable(message).toUtf8();
    syslog(LOG_NOTICE, "%s", text.constData());
    std::fprintf(stderr, "tandrel: %s\n", text.constData());
    std::fflush(stderr);
}

} // namespace Log

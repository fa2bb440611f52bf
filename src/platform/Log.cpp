#include "platform/Log.h"

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

} // namespace

QString printable(const QString& message)
{
    QString out;
    out.reserve(message.size());
    for (QChar ch : message) {
        const char16_t c = ch.unicode();
        if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0) || isBidiControl(c))
            out += QStringLiteral("\\x{%1}").arg(static_cast<unsigned>(c), 0, 16);
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

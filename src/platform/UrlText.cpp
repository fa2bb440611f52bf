#include "platform/UrlText.h"

#include <QStringDecoder>

namespace UrlText {

namespace {

int hexValue(char16_t c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

QString escapeComponent(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toPercentEncoding());
}

std::optional<QString> entryURL(const QString& folderURL, const QByteArray& name, bool folder)
{
    // The folder's text is parsed, never decoded and escaped again: escaping it again would
    // turn the brackets of an IPv6 host into %5B and %5D.
    const std::optional<QUrl> parsed = urlWithString(folderURL);
    if (!parsed || parsed->hasQuery() || parsed->hasFragment())
        return std::nullopt;
    QString text = folderURL;
    if (!text.endsWith(QLatin1Char('/')))
        text += QLatin1Char('/');
    text += escapeComponent(name);
    if (folder)
        text += QLatin1Char('/');
    return text;
}

std::optional<QString> removePercentEncoding(const QString& text)
{
    const std::optional<QByteArray> bytes = percentDecodedBytes(text);
    if (!bytes)
        return std::nullopt;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = decoder.decode(*bytes);
    if (decoder.hasError())
        return std::nullopt;
    return decoded;
}

std::optional<QByteArray> percentDecodedBytes(const QString& text)
{
    const QByteArray in = text.toUtf8();
    QByteArray bytes;
    bytes.reserve(in.size());
    for (qsizetype i = 0; i < in.size(); ++i) {
        const char c = in[i];
        if (c != '%') {
            bytes += c;
            continue;
        }
        if (i + 2 >= in.size())
            return std::nullopt;
        const int hi = hexValue(static_cast<unsigned char>(in[i + 1]));
        const int lo = hexValue(static_cast<unsigned char>(in[i + 2]));
        if (hi < 0 || lo < 0)
            return std::nullopt;
        bytes += static_cast<char>(hi * 16 + lo);
        i += 2;
    }
    return bytes;
}

std::optional<QUrl> urlWithString(const QString& text)
{
    if (text.isEmpty())
        return std::nullopt;
    static const QString forbidden = QStringLiteral("\"<>\\^`{|}");
    int hashes = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c <= 0x20 || c >= 0x7F || forbidden.contains(QChar(c)))
            return std::nullopt;
        if (c == '#' && ++hashes > 1)
            return std::nullopt;
        if (c == '%' && (i + 2 >= text.size() || hexValue(text[i + 1].unicode()) < 0 ||
                         hexValue(text[i + 2].unicode()) < 0))
            return std::nullopt;
    }
    QUrl url(text, QUrl::StrictMode);
    if (!url.isValid())
        return std::nullopt;
    return url;
}

} // namespace UrlText

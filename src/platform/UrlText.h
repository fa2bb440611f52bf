#pragma once

#include <optional>

#include <QString>
#include <QUrl>

// The URL text helpers that every FTP address goes through, each in one place.
namespace UrlText {

// Percent-escapes a text for use inside an ftp URL: ASCII letters, digits, "-_.!~*'()" and the
// URL separators ";/?:@&=+$," stay; every other byte of the UTF-8 form, "%", "#" and space
// included, becomes %XX with upper-case hex digits.
QString addPercentEscapes(const QString& text);
// The same for raw bytes, for names that are not UTF-8.
QString addPercentEscapes(const QByteArray& bytes);

// Replaces every %XX by its byte and reads the result as UTF-8. No text for a "%" not followed
// by two hex digits, or for bytes that are not valid UTF-8.
std::optional<QString> removePercentEncoding(const QString& text);
// Replaces every %XX by its byte, without reading the result as text. No bytes for a "%" not
// followed by two hex digits.
std::optional<QByteArray> percentDecodedBytes(const QString& text);

// The strict URL parser: no URL for an empty text, a space, a control or non-ASCII character,
// a character that may not stand in a URL, a bad escape, or a text QUrl cannot parse strictly.
std::optional<QUrl> urlWithString(const QString& text);

} // namespace UrlText

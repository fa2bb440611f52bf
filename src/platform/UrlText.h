#pragma once

#include <optional>

#include <QString>
#include <QUrl>

// The URL text helpers that every FTP address goes through, each in one place.
namespace UrlText {

// Every byte outside the unreserved set (ASCII letters, digits, "-._~") escaped: a login, or a
// name as one path component, whatever "/", "?", "#", "%", ":" or "@" it holds.
QString escapeComponent(const QByteArray& bytes);
// The URL text of the entry named by the bytes name in the folder whose URL text is folderURL:
// the folder's URL as it stands (a "/" added when it lacks one; an IPv6 host in brackets and
// every escape kept), then the name escaped as one component, then "/" for a folder. No text
// when the folder's URL does not parse or holds a query or fragment.
std::optional<QString> entryURL(const QString& folderURL, const QByteArray& name, bool folder);

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

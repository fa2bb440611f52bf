#include "platform/RemoteName.h"

#include <QList>

#include "platform/LocalizedText.h"
namespace RemoteName {

bool isAddressable(const QByteArray& name)
{
    return whyNotAddressable(name).isEmpty();
}

QString whyNotAddressable(const QByteArray& name)
{
    if (name.isEmpty())
        //% "the name is empty"
        return localizedText("NameEmpty", "the name is empty");
    if (name == "." || name == "..")
        //% "\"%1\" names no entry of its own"
        return localizedText("NameNoEntry", "\"%1\" names no entry of its own")
            .arg(QString::fromLatin1(name));
    if (name.contains('/'))
        //% "the name holds a \"/\""
        return localizedText("NameHoldsSlash", "the name holds a \"/\"");
    if (name.contains('\r') || name.contains('\n') || name.contains('\0'))
        //% "the name holds a line break or NUL"
        return localizedText("NameHoldsLineBreak", "the name holds a line break or NUL");
    return QString();
}

bool isSafeLocalName(const QString& name)
{
    return whyNotSafeLocalName(name).isEmpty();
}

QString whyNotSafeLocalName(const QString& name)
{
    const QString why = whyNotAddressable(name.toUtf8());
    if (!why.isEmpty())
        return why;
    for (const char32_t c : name.toUcs4()) {
        if (c < 0x20 || (c >= 0x7F && c <= 0x9F))
            //% "the name holds a control character"
            return localizedText("NameHoldsControl", "the name holds a control character");
        if ((c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069))
            //% "the name holds a text direction character"
            return localizedText("NameHoldsDirection", "the name holds a text direction character");
    }
    return QString();
}

QString whyNotNewName(const QString& name)
{
    // Measured first: a pasted text of any length is refused without being looked through.
    if (name.size() > kMaxNewNameBytes || name.toUtf8().size() > kMaxNewNameBytes)
        //% "the name is longer than %1 bytes"
        return localizedText("NameTooLong", "the name is longer than %1 bytes")
            .arg(kMaxNewNameBytes);
    if (const QString why = whyNotSafeLocalName(name); !why.isEmpty())
        return why;
    if (name.contains(QChar(0x200E)) || name.contains(QChar(0x200F)))
        //% "the name holds a text direction character"
        return localizedText("NameHoldsDirection", "the name holds a text direction character");
    return QString();
}

} // namespace RemoteName

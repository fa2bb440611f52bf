#pragma once

#include <QCoreApplication>
#include <QString>

// The string table's text for the id; the English text where no table holds the id (a tool or a
// test that loads none).
inline QString localizedText(const char* id, const char* english)
{
    const QString translated = qtTrId(id);
    return translated == QLatin1String(id) ? QString::fromUtf8(english) : translated;
}

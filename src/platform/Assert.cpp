#include "platform/Assert.h"

#include <cstdlib>

#include <QString>

#include "platform/Log.h"

void tandrelAssertFailed(const char* function, const char* file, int line, const char* expression)
{
    Log::line(QStringLiteral("*** Assertion failure in %1, %2:%3: %4")
                  .arg(QString::fromUtf8(function), QString::fromUtf8(file))
                  .arg(line)
                  .arg(QString::fromUtf8(expression)));
    std::abort();
}

// What the driver prints: the rows, the queue display, the protection, the figures.

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

#include "Classes/Controller.h"
#include "drive/Driver.h"

namespace drive {

// The gap since the loop's last tick counts too: a step that held the loop at its very end.
void Driver::noteLastGap()
{
    if (sinceTick.isValid())
        longestStallMs = std::max(longestStallMs, sinceTick.elapsed() - 5);
}

void Driver::printFigures()
{
    noteLastGap();
    print({QStringLiteral("stall-max-ms"), QString::number(longestStallMs)});
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    print({QStringLiteral("peak-rss-kib"), QString::number(usage.ru_maxrss)});
}

QStringList Driver::queueDisplay() const
{
    return {QStringLiteral("progress"), controller->percentageLabel->text(),
            QString::number(controller->progress->value()),
            QString::number(controller->progress0->value())};
}

void Driver::printQueueDisplay()
{
    QStringList now = queueDisplay();
    if (now == lastQueueDisplay)
        return;
    print(now);
    lastQueueDisplay = std::move(now);
    const QString label = controller->percentageLabel->text();
    if (cancelAt && label.endsWith(QLatin1Char('%')) && label.chopped(1).toInt() >= *cancelAt) {
        cancelAt.reset();
        cancelled = true;
        // Pressed from the event loop, as a user's click comes.
        QTimer::singleShot(0, controller->cancelButton, &QPushButton::click);
    }
}

void Driver::printEncryption()
{
    const ConnectionSecurity& security = controller->connectionSecurity;
    const QString protocol = security.protocol.toLower().remove(QLatin1Char('v'));
    switch (security.state) {
    case ConnectionSecurity::State::Plain:
        print({QStringLiteral("encryption"), QStringLiteral("none")});
        break;
    case ConnectionSecurity::State::Verified:
        print({QStringLiteral("encryption"), protocol + QStringLiteral(" verified")});
        break;
    case ConnectionSecurity::State::TrustedByUser:
        print({QStringLiteral("encryption"), protocol + QStringLiteral(" trusted")});
        break;
    case ConnectionSecurity::State::SshKnown:
    case ConnectionSecurity::State::SshTrustedByUser:
        print({QStringLiteral("encryption"),
               QStringLiteral("ssh %1 %2")
                   .arg(security.hostKey ? security.hostKey->type : QString(),
                        security.state == ConnectionSecurity::State::SshKnown
                            ? QStringLiteral("known")
                            : QStringLiteral("trusted"))});
        break;
    }
}

void Driver::printRows()
{
    // The driver's own printing is not the window's stall: the gap so far counts, the
    // printing does not.
    noteLastGap();
    const QAbstractItemModel* shown = controller->serverTable->model();
    const int rows = shown->rowCount();
    // One line reused for every row: a string list, a join and a printf per row made the
    // printing of a long listing a fifth slower.
    const QString columns[] = {QStringLiteral("FolderOrFile"), QStringLiteral("FileName"),
                               QStringLiteral("FileSize"), QStringLiteral("ModifiedTime")};
    QString line;
    for (int at = 0; at < rows; ++at) {
        const int row = controller->listRowOfTableIndex(shown->index(at, 0));
        line.resize(0); // keeps its capacity
        line += QLatin1String("row");
        for (const QString& column : columns) {
            line += QLatin1Char('\t');
            line += controller->tableViewObjectValue(column, row);
        }
        line += QLatin1Char('\n');
        const QByteArray bytes = line.toUtf8();
        std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    }
    // One flush for all rows: a write per row would be the driver's cost, not the window's.
    std::fflush(stdout);
    if (sinceTick.isValid())
        sinceTick.restart();
}

} // namespace drive

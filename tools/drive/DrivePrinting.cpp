// What the driver prints: the rows, the queue display, the protection, the figures.

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStringEncoder>
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
    const QString columns[] = {QStringLiteral("FolderOrFile"), QStringLiteral("FileName"),
                               QStringLiteral("FileSize"), QStringLiteral("ModifiedTime")};
    // The rows' UTF-8 goes straight into one block, written out when full: a line made as a
    // string, converted and written per row took a third of the printing's instructions.
    QStringEncoder utf8(QStringEncoder::Utf8);
    std::vector<char> block(64 * 1024);
    char* end = block.data();
    QString values[std::size(columns)];
    for (int at = 0; at < rows; ++at) {
        const int row = controller->listRowOfTableIndex(shown->index(at, 0));
        size_t room = 3 + std::size(columns) + 1; // "row", a tab before each value, "\n"
        for (size_t i = 0; i < std::size(columns); ++i) {
            values[i] = controller->tableViewObjectValue(columns[i], row);
            room += static_cast<size_t>(utf8.requiredSpace(values[i].size()));
        }
        if (static_cast<size_t>(block.data() + block.size() - end) < room) {
            std::fwrite(block.data(), 1, static_cast<size_t>(end - block.data()), stdout);
            block.resize(std::max(block.size(), room));
            end = block.data();
        }
        end = std::copy_n("row", 3, end);
        for (const QString& value : values) {
            *end++ = '\t';
            end = utf8.appendToBuffer(end, value);
        }
        *end++ = '\n';
    }
    std::fwrite(block.data(), 1, static_cast<size_t>(end - block.data()), stdout);
    std::fflush(stdout);
    if (sinceTick.isValid())
        sinceTick.restart();
}

} // namespace drive

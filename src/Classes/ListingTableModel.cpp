#include "Classes/ListingTableModel.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QHash>
#include <QPainter>
#include <QPixmap>

#include "Classes/Controller.h"
#include "OperationOutcome.h"

namespace {

// The folder and document symbols are colour emoji, which many fonts draw from a bitmap decoded
// at every paint. Each symbol is drawn into a pixmap once and the table shows that.
QPixmap symbolPixmap(const QString& symbol)
{
    static QHash<QString, QPixmap> cache;
    auto it = cache.find(symbol);
    if (it != cache.end())
        return *it;
    const QFontMetrics metrics(QGuiApplication::font());
    const int side = metrics.height();
    const qreal ratio = qGuiApp->devicePixelRatio();
    QPixmap pixmap(QSize(side, side) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.drawText(QRect(0, 0, side, side), Qt::AlignCenter, symbol);
    painter.end();
    return *cache.insert(symbol, pixmap);
}

} // namespace

ListingTableModel::ListingTableModel(Controller* controller)
    : QAbstractTableModel(controller)
    , controller(controller)
{
    fillTimer.setSingleShot(true);
    fillTimer.setInterval(kFillIntervalMs);
    connect(&fillTimer, &QTimer::timeout, this, &ListingTableModel::showAppendedRows);
}

const QStringList& ListingTableModel::columnIdentifiers()
{
    static const QStringList identifiers = {QStringLiteral("FolderOrFile"),
                                            QStringLiteral("FileName"), QStringLiteral("FileSize"),
                                            QStringLiteral("ModifiedTime")};
    return identifiers;
}

void ListingTableModel::reloadData()
{
    fillTimer.stop();
    beginResetModel();
    shownRows = controller->numberOfRowsInTableView();
    endResetModel();
}

void ListingTableModel::rowsAppended(int first, int last)
{
    if (first < shownRows || last + 1 != controller->numberOfRowsInTableView()) {
        reloadData();
        return;
    }
    // Rows added outside a listing show at once.
    if (fillTimer.isActive() && controller->isReceiving())
        return;
    showAppendedRows();
    fillTimer.start();
}

void ListingTableModel::showAppendedRows()
{
    const int rows = controller->numberOfRowsInTableView();
    if (rows < shownRows) {
        reloadData();
        return;
    }
    if (rows == shownRows)
        return;
    beginInsertRows({}, shownRows, rows - 1);
    shownRows = rows;
    endInsertRows();
}

int ListingTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : shownRows;
}

int ListingTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(columnIdentifiers().size());
}

QVariant ListingTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= shownRows)
        return {};
    const QString& identifier = columnIdentifiers().value(index.column());
    if (index.column() == 0) {
        if (role == Qt::DecorationRole)
            return symbolPixmap(controller->tableViewObjectValue(identifier, index.row()));
        if (role == Qt::ToolTipRole || role == Qt::AccessibleTextRole)
            return controller->tableViewObjectValue(identifier, index.row());
        return {};
    }
    if (role == Qt::DisplayRole)
        return controller->tableViewObjectValue(identifier, index.row());
    if (role == Qt::TextAlignmentRole && index.column() == 2)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant ListingTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::UserRole)
        return columnIdentifiers().value(section);
    if (role != Qt::DisplayRole)
        return {};
    switch (section) {
    case 1:
        //% "Name"
        return OperationOutcome::localizedText("ListName", "Name");
    case 2:
        //% "Size"
        return OperationOutcome::localizedText("ListSize", "Size");
    case 3:
        //% "Modified"
        return OperationOutcome::localizedText("ListModified", "Modified");
    default:
        return QString();
    }
}

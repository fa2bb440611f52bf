#include "Classes/ListingTableModel.h"

#include "Classes/Controller.h"

ListingTableModel::ListingTableModel(Controller* controller)
    : QAbstractTableModel(controller)
    , controller(controller)
{
}

const QStringList& ListingTableModel::columnIdentifiers()
{
    static const QStringList identifiers = {QStringLiteral("FolderOrFile"),
                                            QStringLiteral("FileName"),
                                            QStringLiteral("FileSize"),
                                            QStringLiteral("ModifiedTime")};
    return identifiers;
}

void ListingTableModel::reloadData()
{
    beginResetModel();
    shownRows = controller->numberOfRowsInTableView();
    endResetModel();
}

void ListingTableModel::rowsAppended(int first, int last)
{
    if (first != shownRows) {
        reloadData();
        return;
    }
    beginInsertRows({}, first, last);
    shownRows = last + 1;
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
    if (role == Qt::DisplayRole)
        return controller->tableViewObjectValue(columnIdentifiers().value(index.column()),
                                                index.row());
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
        return QStringLiteral("Name");
    case 2:
        return QStringLiteral("Size");
    case 3:
        return QStringLiteral("Modified");
    default:
        return QString();
    }
}

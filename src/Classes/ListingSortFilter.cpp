#include "Classes/ListingSortFilter.h"

#include <utility>

#include "Classes/ListingTableModel.h"
#include "Classes/RemoteFolder.h"
#include "platform/Log.h"

namespace {

enum Column
{
    kKindColumn = 0,
    kNameColumn = 1,
    kSizeColumn = 2,
    kDateColumn = 3,
};

QStringView nameOf(const ListingEntry& entry)
{
    return entry.kCFFTPResourceName ? QStringView(*entry.kCFFTPResourceName) : QStringView();
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

template <typename T> int compareValues(const T& a, const T& b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

} // namespace

ListingSortFilter::ListingSortFilter(const RemoteFolder* remote, QObject* parent)
    : QSortFilterProxyModel(parent)
    , remote(remote)
{
    // Rows that arrive while a sort or filter is on take their places as they come.
    setDynamicSortFilter(true);
}

void ListingSortFilter::setNameFilter(const QString& text)
{
    if (text == filterText)
        return;
    filterText = text;
    // One layout change for the whole table: removing and inserting the rows range by range
    // costs the view time per range, seconds for a large folder.
    invalidate();
}

void ListingSortFilter::pauseSorting()
{
    if (sortColumn() < 0 || pausedColumn >= 0)
        return;
    pausedColumn = sortColumn();
    pausedOrder = sortOrder();
    sort(-1);
}

void ListingSortFilter::resumeSorting()
{
    const int column = std::exchange(pausedColumn, -1);
    // A header clicked meanwhile chose a sort of its own.
    if (column >= 0 && sortColumn() < 0)
        sort(column, pausedOrder);
}

int ListingSortFilter::naturalCompare(QStringView a, QStringView b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    // Leading zeros decide only between otherwise equal names ("a01" after "a1").
    int zeros = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            const qsizetype startA = i;
            const qsizetype startB = j;
            while (i < a.size() && a[i] == u'0')
                ++i;
            while (j < b.size() && b[j] == u'0')
                ++j;
            const qsizetype digitsA = i;
            const qsizetype digitsB = j;
            while (i < a.size() && isDigit(a[i]))
                ++i;
            while (j < b.size() && isDigit(b[j]))
                ++j;
            // The longer run of significant digits is the larger number; equal lengths compare
            // digit by digit.
            if (const int byLength = compareValues(i - digitsA, j - digitsB); byLength != 0)
                return byLength;
            if (const int byDigits =
                    a.mid(digitsA, i - digitsA).compare(b.mid(digitsB, j - digitsB));
                byDigits != 0)
                return byDigits < 0 ? -1 : 1;
            if (zeros == 0)
                zeros = compareValues(digitsA - startA, digitsB - startB);
            continue;
        }
        const QChar ca = a[i].toCaseFolded();
        const QChar cb = b[j].toCaseFolded();
        if (ca != cb)
            return ca < cb ? -1 : 1;
        ++i;
        ++j;
    }
    if (const int byRest = compareValues(a.size() - i, b.size() - j); byRest != 0)
        return byRest;
    if (zeros != 0)
        return zeros;
    // Names that differ only in case keep one order.
    const int exact = a.compare(b);
    return exact < 0 ? -1 : (exact > 0 ? 1 : 0);
}

bool ListingSortFilter::filterAcceptsRow(int sourceRow, const QModelIndex&) const
{
    if (filterText.isEmpty())
        return true;
    const ListingEntry* entry = remote->entryAt(sourceRow);
    return entry && nameOf(*entry).contains(filterText, Qt::CaseInsensitive);
}

bool ListingSortFilter::lessThan(const QModelIndex& left, const QModelIndex& right) const
{
    const ListingEntry* a = remote->entryAt(left.row());
    const ListingEntry* b = remote->entryAt(right.row());
    if (!a || !b)
        return false;
    // Folders come first in both directions: the view reverses what this answers when the
    // order is descending, so the folder test is reversed with it.
    const bool descending = sortOrder() == Qt::DescendingOrder;
    if (const bool folderA = RemoteFolder::isFolder(*a), folderB = RemoteFolder::isFolder(*b);
        folderA != folderB)
        return folderA != descending;
    int order = 0;
    switch (left.column()) {
    case kSizeColumn:
        order =
            compareValues(a->kCFFTPResourceSize.value_or(-1), b->kCFFTPResourceSize.value_or(-1));
        break;
    case kDateColumn:
        // An entry without a date sorts before every dated one.
        order = compareValues(a->kCFFTPResourceModDate.value_or(QDateTime()).toMSecsSinceEpoch(),
                              b->kCFFTPResourceModDate.value_or(QDateTime()).toMSecsSinceEpoch());
        break;
    default:
        break;
    }
    if (order == 0)
        order = naturalCompare(nameOf(*a), nameOf(*b));
    return order < 0;
}

Qt::ItemFlags ListingSortFilter::flags(const QModelIndex& index) const
{
    Qt::ItemFlags result = QSortFilterProxyModel::flags(index);
    // Edited only when the window asks (rename), never by a click: the table has no edit
    // triggers.
    if (index.column() == kNameColumn)
        result |= Qt::ItemIsEditable;
    return result;
}

QVariant ListingSortFilter::data(const QModelIndex& index, int role) const
{
    if (role == Qt::EditRole && index.column() == kNameColumn)
        return QSortFilterProxyModel::data(index, Qt::DisplayRole);
    return QSortFilterProxyModel::data(index, role);
}

bool ListingSortFilter::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || index.column() != kNameColumn)
        return false;
    const QString newName = value.toString();
    // An editor closed without a change renames nothing.
    if (newName != data(index, Qt::DisplayRole).toString())
        emit renameRequested(mapToSource(index).row(), newName);
    // The name changes in the table when the folder is listed again.
    return false;
}

QVariant ListingSortFilter::headerData(int section, Qt::Orientation orientation, int role) const
{
    // A first click on a header sorts ascending.
    if (role == Qt::InitialSortOrderRole && orientation == Qt::Horizontal)
        return QVariant::fromValue(static_cast<int>(Qt::AscendingOrder));
    return QSortFilterProxyModel::headerData(section, orientation, role);
}

QModelIndexList ListingSortFilter::match(const QModelIndex& start, int role, const QVariant& value,
                                         int hits, Qt::MatchFlags flags) const
{
    const QModelIndex from =
        start.column() == kKindColumn ? start.siblingAtColumn(kNameColumn) : start;
    return QSortFilterProxyModel::match(from, role, value, hits, flags);
}

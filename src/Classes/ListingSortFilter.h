#pragma once

#include <QSortFilterProxyModel>

class RemoteFolder;
struct ListingEntry;

// Between the listing table and its model: the order the user chose by clicking a column
// header (folders first, names in natural order, sizes by bytes, dates by time) and the filter
// on names. Until a header is clicked and while the filter is empty it passes the server's
// order through. The name cell can be edited in place; a commit is handed on as a rename.
class ListingSortFilter final : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    ListingSortFilter(const RemoteFolder* remote, QObject* parent);

    // Shows only the entries whose name holds text, compared without regard to case.
    void setNameFilter(const QString& text);
    QString nameFilter() const { return filterText; }

    // While a listing arrives the sort is taken off and done once at its end: placing each new
    // range of rows in a sorted table would hold the window for seconds in a large folder.
    void pauseSorting();
    void resumeSorting();

    // Natural order of names: digit runs compare by their number ("file2" before "file10"),
    // everything else without regard to case; negative, 0 or positive.
    static int naturalCompare(QStringView a, QStringView b);

    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // Keyboard search starts in the icon column, which has no text: it searches the names.
    QModelIndexList match(const QModelIndex& start, int role, const QVariant& value, int hits,
                          Qt::MatchFlags flags) const override;

signals:
    // The user committed a new name for the entry at RemoteFolder::listEntries row.
    void renameRequested(int row, const QString& newName);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    const RemoteFolder* remote;
    QString filterText;
    // The sort taken off while a listing arrives; -1: none.
    int pausedColumn = -1;
    Qt::SortOrder pausedOrder = Qt::AscendingOrder;
};

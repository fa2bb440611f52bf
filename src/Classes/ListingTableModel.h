#pragma once

#include <QAbstractTableModel>
#include <QTimer>

class Controller;

// The listing table's model: asks the controller for the row count and each cell's text, as a
// table data source would. Columns are identified by "FolderOrFile", "FileName", "FileSize"
// and "ModifiedTime" (Qt::UserRole of the horizontal header).
class ListingTableModel final : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit ListingTableModel(Controller* controller);

    static const QStringList& columnIdentifiers();

    // Everything may have changed: the view asks again.
    void reloadData();
    // Rows were appended to the controller's entries; cheaper than a reload and keeps the
    // selection while a long listing arrives. The first rows show at once; rows that a running
    // listing adds within kFillIntervalMs are shown together when it has passed, so that a long
    // listing repaints the table ten times a second rather than once per chunk (each repaint
    // draws every visible cell again, though the rows below the view are all that changed).
    void rowsAppended(int first, int last);
    // Shows every appended row now: the listing has ended.
    void showAppendedRows();

    static constexpr int kFillIntervalMs = 100;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    Q_DISABLE_COPY_MOVE(ListingTableModel)

private:
    Controller* controller;
    int shownRows = 0;
    QTimer fillTimer;
};

#pragma once

#include <QObject>
#include <QString>

class Controller;
class RemoteFolder;
class QAction;
class QMenu;
class QPoint;

// The browser's keys and its row menu. On the table: Enter opens the selected folder or
// downloads the selected file, Backspace or Alt+Up goes up, Delete deletes, F2 renames, and
// typing a name's first letters selects it. In the whole window: F5 reloads, Ctrl+F goes to
// the filter, Ctrl+U uploads, Ctrl+Shift+N creates a folder. Each acts only while connected
// and while the button it stands for is enabled; keys a text field takes stay with the field.
// In the settings tabs Ctrl+Return connects; a listing that arrives takes the focus to the table.
class BrowserInput final : public QObject
{
    Q_OBJECT

public:
    BrowserInput(Controller* controller, const RemoteFolder* remote);

    // Opens the in-place editor on the selected entry's name; committing it renames.
    void renameAction();
    // Puts the selected entry's URL on the clipboard: escaped, with the user name of a named
    // login but never the password.
    void copyURLAction();
    // That URL for the entry at RemoteFolder::listEntries row; empty when there is none.
    QString entryURL(int row) const;

    // The row menu and its items, kept for the window's life.
    QMenu* rowMenu = nullptr;
    QAction* downloadItem = nullptr;
    QAction* renameItem = nullptr;
    QAction* deleteItem = nullptr;
    QAction* copyURLItem = nullptr;

    bool eventFilter(QObject* watched, QEvent* event) override;

    Q_DISABLE_COPY_MOVE(BrowserInput)

private:
    // Enter on the table.
    void openSelected();
    void showRowMenu(const QPoint& position);
    void setToolTips();

    Controller* controller;
    const RemoteFolder* remote;
};

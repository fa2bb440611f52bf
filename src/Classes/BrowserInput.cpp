#include "Classes/BrowserInput.h"

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>
#include <QTableView>

#include "Classes/Controller.h"
#include "Classes/ListingSortFilter.h"
#include "Classes/RemoteFolder.h"
#include "platform/UrlText.h"
#include "platform/UserDefaults.h"

BrowserInput::BrowserInput(Controller* controller, const RemoteFolder* remote)
    : QObject(controller)
    , controller(controller)
    , remote(remote)
{
    QTableView* table = controller->serverTable;
    // The server's order until a header is clicked; a click sorts by that column, a second
    // click reverses.
    table->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    table->horizontalHeader()->setSortIndicatorShown(true);
    table->setSortingEnabled(true);

    //% "Filter"
    controller->filterField->setPlaceholderText(Controller::localizedString("Filter"));
    connect(controller->filterField, &QLineEdit::textChanged, controller->tableSorter,
            &ListingSortFilter::setNameFilter);

    table->installEventFilter(this);
    table->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(table, &QWidget::customContextMenuRequested, this, &BrowserInput::showRowMenu);
    rowMenu = new QMenu(table);
    //% "Download"
    downloadItem = rowMenu->addAction(Controller::localizedString("MenuDownload"));
    //% "Rename (F2)"
    renameItem = rowMenu->addAction(Controller::localizedString("MenuRename"));
    //% "Delete"
    deleteItem = rowMenu->addAction(Controller::localizedString("MenuDelete"));
    rowMenu->addSeparator();
    //% "Copy URL"
    copyURLItem = rowMenu->addAction(Controller::localizedString("MenuCopyURL"));
    connect(downloadItem, &QAction::triggered, controller->downloadButton, &QPushButton::click);
    connect(renameItem, &QAction::triggered, this, &BrowserInput::renameAction);
    connect(deleteItem, &QAction::triggered, controller->deleteButton, &QPushButton::click);
    connect(copyURLItem, &QAction::triggered, this, &BrowserInput::copyURLAction);

    // Keys of the whole window: none of them is one a text field takes.
    const auto windowKey = [this](const QKeySequence& key, const std::function<void()>& action) {
        auto* shortcut = new QShortcut(key, this->controller->window);
        connect(shortcut, &QShortcut::activated, this, [this, action] {
            if (this->remote->isConnected())
                action();
        });
    };
    const auto clickIfEnabled = [](QPushButton* button) {
        return [button] {
            if (button->isEnabled())
                button->click();
        };
    };
    windowKey(QKeySequence(Qt::Key_F5), clickIfEnabled(controller->reloadButton));
    windowKey(QKeySequence(Qt::CTRL | Qt::Key_U), clickIfEnabled(controller->uploadButton));
    windowKey(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N),
              clickIfEnabled(controller->createDirButton));
    windowKey(QKeySequence(Qt::CTRL | Qt::Key_F), [controller] {
        controller->tabView->setCurrentWidget(controller->serverTabViewItem);
        controller->filterField->setFocus(Qt::ShortcutFocusReason);
        controller->filterField->selectAll();
    });
    // Ctrl+Return in the settings tabs connects, as the toolbar's Connect does.
    for (QWidget* tab : {controller->ftpTabViewItem, controller->proxyTabViewItem})
        for (const QKeySequence& key :
             {QKeySequence(Qt::CTRL | Qt::Key_Return),
              QKeySequence(
                  QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Enter))}) {
            auto* shortcut = new QShortcut(key, tab);
            shortcut->setContext(Qt::WidgetWithChildrenShortcut);
            connect(shortcut, &QShortcut::activated, controller->connectItem, [controller] {
                if (controller->connectItem->isEnabled())
                    controller->connectItem->trigger();
            });
        }
    // Once a listing is in, the keys act on it: the focus goes to the table, unless the user
    // is typing in the filter or a name's editor.
    connect(controller, &Controller::listingStopped, this, [controller] {
        QWidget* focused = QApplication::focusWidget();
        if (controller->tabView->currentWidget() == controller->serverTabViewItem &&
            focused != controller->filterField &&
            !(focused && controller->serverTable->isAncestorOf(focused)))
            controller->serverTable->setFocus(Qt::OtherFocusReason);
    });
    setToolTips();
}

void BrowserInput::setToolTips()
{
    controller->preButton->setToolTip(Controller::localizedString("PreButtonTip"));
    controller->reloadButton->setToolTip(Controller::localizedString("ReloadButtonTip"));
    controller->downloadButton->setToolTip(Controller::localizedString("DownloadButtonTip"));
    controller->uploadButton->setToolTip(Controller::localizedString("UploadButtonTip"));
    controller->createDirButton->setToolTip(Controller::localizedString("CreateDirButtonTip"));
    controller->deleteButton->setToolTip(Controller::localizedString("DeleteButtonTip"));
    //% "Show only the names that contain this text (Ctrl+F)"
    controller->filterField->setToolTip(Controller::localizedString("FilterTip"));
}

bool BrowserInput::eventFilter(QObject* watched, QEvent* event)
{
    QTableView* table = controller->serverTable;
    if (watched != table || event->type() != QEvent::KeyPress || !remote->isConnected())
        return false;
    // Keys that the name editor leaves alone come on to the table: not while it is open.
    const auto editors = table->viewport()->findChildren<QLineEdit*>(Qt::FindDirectChildrenOnly);
    if (std::any_of(editors.begin(), editors.end(), [](QLineEdit* e) { return e->isVisible(); }))
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    const auto click = [](QPushButton* button) {
        if (button->isEnabled())
            button->click();
        return true;
    };
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (modifiers != Qt::NoModifier)
            return false;
        openSelected();
        return true;
    case Qt::Key_Backspace:
        return modifiers == Qt::NoModifier && click(controller->preButton);
    case Qt::Key_Up:
        return modifiers == Qt::AltModifier && click(controller->preButton);
    case Qt::Key_Delete:
        return modifiers == Qt::NoModifier && click(controller->deleteButton);
    case Qt::Key_F2:
        if (modifiers != Qt::NoModifier)
            return false;
        renameAction();
        return true;
    default:
        // Letters go on to the table's own search, which looks through the names.
        return false;
    }
}

void BrowserInput::openSelected()
{
    const ListingEntry* entry = remote->entryAt(controller->selectedRow());
    if (!entry || !controller->reloadButton->isEnabled())
        return;
    if (RemoteFolder::isFolder(*entry))
        controller->doubleClickAction();
    else if (controller->downloadButton->isEnabled())
        controller->downloadButton->click();
}

void BrowserInput::renameAction()
{
    // A rename changes the folder: not while the browser is locked by a transfer.
    const int row = controller->selectedRow();
    if (row < 0 || !remote->isConnected() || !controller->deleteButton->isEnabled())
        return;
    const QModelIndex index = controller->tableIndexOfRow(row);
    controller->serverTable->selectionModel()->setCurrentIndex(index,
                                                               QItemSelectionModel::NoUpdate);
    controller->serverTable->edit(index);
}

void BrowserInput::copyURLAction()
{
    const QString url = entryURL(controller->selectedRow());
    if (!url.isEmpty())
        QGuiApplication::clipboard()->setText(url);
}

QString BrowserInput::entryURL(int row) const
{
    const ListingEntry* entry = remote->entryAt(row);
    if (!entry)
        return QString();
    const QString plain = remote->urlOf(*entry).value_or(QString());
    const QString scheme = RemoteFolder::schemeOf(plain);
    if (scheme.isEmpty())
        return QString();
    auto& store = UserDefaults::standardUserDefaults();
    const QString user = store.text(Setting::User);
    if (store.integerForKey(Setting::Anonymous) != 0 || user.isEmpty())
        return plain;
    return scheme + UrlText::escapeComponent(user.toUtf8()) + QLatin1Char('@') +
           plain.mid(scheme.size());
}

void BrowserInput::showRowMenu(const QPoint& position)
{
    QTableView* table = controller->serverTable;
    const QModelIndex index = table->indexAt(position);
    if (!index.isValid() || !remote->isConnected())
        return;
    if (!table->selectionModel()->isRowSelected(index.row(), index.parent()))
        table->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                            QItemSelectionModel::Rows);
    downloadItem->setEnabled(controller->downloadButton->isEnabled());
    renameItem->setEnabled(controller->deleteButton->isEnabled());
    deleteItem->setEnabled(controller->deleteButton->isEnabled());
    rowMenu->popup(table->viewport()->mapToGlobal(position));
}

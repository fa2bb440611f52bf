#include "WindowState.h"

#include <algorithm>

#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QTabWidget>
#include <QTableView>

#include "Classes/Controller.h"
#include "platform/UserDefaults.h"

namespace {

UserDefaults& store()
{
    return UserDefaults::standardUserDefaults();
}

// The listing table's column of an identifier, -1 when none is.
int columnOf(const QTableView* table, const QString& identifier)
{
    const QAbstractItemModel* model = table->model();
    for (int column = 0; column < model->columnCount(); ++column)
        if (model->headerData(column, Qt::Horizontal, Qt::UserRole).toString() == identifier)
            return column;
    return -1;
}

} // namespace

void WindowState::save(const Controller& controller)
{
    const QWidget* window = controller.window;
    if (const QScreen* screen = window->screen())
        store().setObject(screen->name(), Setting::WindowScreen);
    store().setObject(QStringLiteral("%1,%2").arg(window->x()).arg(window->y()),
                      Setting::WindowPosition);
    store().setObject(controller.tabView->currentWidget()->objectName(), Setting::LastTab);
    const QHeaderView* header = controller.serverTable->horizontalHeader();
    QStringList widths;
    for (int column = 0; column < header->count(); ++column)
        widths << QString::number(header->sectionSize(column));
    store().setObject(widths.join(QLatin1Char(',')), Setting::ListColumnWidths);
    const int sorted = header->sortIndicatorSection();
    const QAbstractItemModel* model = controller.serverTable->model();
    store().setObject(sorted < 0 || sorted >= header->count()
                          ? QString()
                          : model->headerData(sorted, Qt::Horizontal, Qt::UserRole).toString(),
                      Setting::SortColumn);
    store().setObject(header->sortIndicatorOrder() == Qt::DescendingOrder
                          ? QStringLiteral("descending")
                          : QStringLiteral("ascending"),
                      Setting::SortOrder);
    store().synchronize();
}

void WindowState::restore(Controller& controller)
{
    QWidget* window = controller.window;
    const QStringList position = store().text(Setting::WindowPosition).split(QLatin1Char(','));
    bool xRead = false, yRead = false;
    const QPoint stored(position.value(0).toInt(&xRead), position.value(1).toInt(&yRead));
    if (position.size() == 2 && xRead && yRead)
        window->move(placeOnScreen(stored, window->size(), store().text(Setting::WindowScreen)));

    if (const QString tab = store().text(Setting::LastTab); !tab.isEmpty())
        if (auto* page = controller.tabView->findChild<QWidget*>(tab);
            page && controller.tabView->indexOf(page) >= 0)
            controller.tabView->setCurrentWidget(page);

    QHeaderView* header = controller.serverTable->horizontalHeader();
    const QStringList widths = store().text(Setting::ListColumnWidths).split(QLatin1Char(','));
    for (int column = 0; column < std::min<int>(widths.size(), header->count()); ++column)
        if (const int width = widths[column].toInt(); width > 0)
            header->resizeSection(column, width);
    if (const int column = columnOf(controller.serverTable, store().text(Setting::SortColumn));
        column >= 0)
        header->setSortIndicator(column,
                                 store().text(Setting::SortOrder) == QLatin1String("descending")
                                     ? Qt::DescendingOrder
                                     : Qt::AscendingOrder);
}

QPoint WindowState::placeOnScreen(QPoint stored, QSize size, const QString& screenName)
{
    const QList<QScreen*> screens = QGuiApplication::screens();
    const auto named = std::find_if(screens.begin(), screens.end(),
                                    [&](const QScreen* s) { return s->name() == screenName; });
    const QScreen* screen = named != screens.end() ? *named : QGuiApplication::primaryScreen();
    if (!screen)
        return stored;
    const QRect area = screen->availableGeometry();
    // A window larger than the area keeps its top left corner in it.
    return {std::max(area.left(), std::min(stored.x(), area.right() + 1 - size.width())),
            std::max(area.top(), std::min(stored.y(), area.bottom() + 1 - size.height()))};
}

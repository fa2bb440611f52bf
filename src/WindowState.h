#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

class Controller;
class QWidget;

// What the window keeps from one run to the next: where it stood and on which screen, the tab
// shown, the listing table's column widths and its sort. Saved when the window goes, restored
// before it shows.
class WindowState final
{
public:
    static void save(const Controller& controller);
    static void restore(Controller& controller);

    // Where a window of the size, left at stored on the screen of that name, shows now: on that
    // screen where it still exists (else the primary one), moved inside its available area.
    static QPoint placeOnScreen(QPoint stored, QSize size, const QString& screenName);
};

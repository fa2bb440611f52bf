#include "CustomWindow.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScreen>

#include "ui_CustomWindow.h"

namespace {

// Colours for what is drawn straight on the window's light picture (the toolbar and the window's
// own buttons), kept whatever the desktop's palette: in a dark one its white text would vanish
// on the picture and its disabled grey look active.
QPalette pictureColours()
{
    QPalette palette(QColor(0xee, 0xf3, 0xfa), QColor(0xe3, 0xec, 0xf7));
    for (const QPalette::ColorGroup group :
         {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const QColor ink =
            group == QPalette::Disabled ? QColor(0x86, 0x8c, 0x94) : QColor(0x1b, 0x1f, 0x24);
        for (const QPalette::ColorRole role :
             {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
            palette.setColor(group, role, ink);
    }
    return palette;
}

} // namespace

CustomWindow::CustomWindow(QWidget* parent, Qt::WindowFlags /*flags*/)
    : QMainWindow(parent, Qt::Window | Qt::FramelessWindowHint)
    , ui(std::make_unique<Ui::CustomWindow>())
{
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowOpacity(1.0);
    ui->setupUi(this);
    setFixedSize(size());
    for (QWidget* onPicture :
         {static_cast<QWidget*>(ui->toolbar), static_cast<QWidget*>(ui->minimizeButton),
          static_cast<QWidget*>(ui->closeButton)})
        onPicture->setPalette(pictureColours());
    ui->toolbar->addAction(ui->connectItem);
    ui->toolbar->addAction(ui->disconnectItem);
    ui->toolbar->addAction(ui->saveItem);
    // The toolbar in the Tab order: connecting and disconnecting need no mouse.
    for (QAction* item : {ui->connectItem, ui->disconnectItem, ui->saveItem})
        ui->toolbar->widgetForAction(item)->setFocusPolicy(Qt::TabFocus);
    // No title bar: the window carries its own quit and minimise controls, and Ctrl+Q.
    addAction(ui->quitItem);
    // Esc cancels the running transfer, wherever the focus is in the window.
    addAction(ui->cancelItem);
    connect(ui->quitItem, &QAction::triggered, qApp, &QApplication::quit);
    connect(ui->closeButton, &QToolButton::clicked, qApp, &QApplication::quit);
    connect(ui->minimizeButton, &QToolButton::clicked, this, &QWidget::showMinimized);
}

CustomWindow::~CustomWindow() = default;

void CustomWindow::mousePressEvent(QMouseEvent* event)
{
    initialLocation = event->position();
}

void CustomWindow::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return;
    QPoint origin = pos() + (event->position() - initialLocation).toPoint();
    // Only the top edge is held: the window may leave the screen on the other sides.
    if (const QScreen* screen = this->screen()) {
        const QRect visible = screen->availableGeometry();
        if (origin.y() < visible.top())
            origin.setY(visible.top());
    }
    move(origin);
}

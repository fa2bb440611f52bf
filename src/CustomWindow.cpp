#include "CustomWindow.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScreen>

#include "ui_CustomWindow.h"

CustomWindow::CustomWindow(QWidget* parent, Qt::WindowFlags /*flags*/)
    : QMainWindow(parent, Qt::Window | Qt::FramelessWindowHint)
    , ui(std::make_unique<Ui::CustomWindow>())
{
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowOpacity(1.0);
    ui->setupUi(this);
    setFixedSize(size());
    ui->toolbar->addAction(ui->connectItem);
    ui->toolbar->addAction(ui->disconnectItem);
    ui->toolbar->addAction(ui->saveItem);
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

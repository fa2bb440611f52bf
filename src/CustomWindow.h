#pragma once

#include <QMainWindow>
#include <QPointF>

namespace Ui {
class CustomWindow;
}

// The main window: no frame, see-through where its view draws nothing, moved by dragging
// anywhere on its background, its top edge kept inside the screen's available area.
class CustomWindow final : public QMainWindow
{
    Q_OBJECT

public:
    // Whatever flags are asked for, the window comes up borderless.
    explicit CustomWindow(QWidget* parent = nullptr, Qt::WindowFlags flags = {});
    ~CustomWindow() override;

    // The widgets its interface file made.
    const Ui::CustomWindow& outlets() const { return *ui; }

    // Where the last mouse press landed, in the window's own coordinates.
    QPointF initialLocation;

    Q_DISABLE_COPY_MOVE(CustomWindow)

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    std::unique_ptr<Ui::CustomWindow> ui;
};

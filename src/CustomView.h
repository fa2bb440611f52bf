#pragma once

#include <QPixmap>
#include <QWidget>

// The main window's content: clears itself to transparent and draws the image "earth" at its
// origin, so that the window takes the image's shape.
class CustomView final : public QWidget
{
    Q_OBJECT

public:
    explicit CustomView(QWidget* parent = nullptr);

    QPixmap circleImage;

    Q_DISABLE_COPY_MOVE(CustomView)

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
};

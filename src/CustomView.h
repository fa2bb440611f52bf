#pragma once

#include <future>

#include <QBitmap>
#include <QImage>
#include <QPixmap>
#include <QWidget>

// The main window's content: clears itself to transparent and draws the image "earth" at its
// origin, so that the window takes the image's shape.
class CustomView final : public QWidget
{
    Q_OBJECT

public:
    explicit CustomView(QWidget* parent = nullptr);
    ~CustomView() override;

    // The image, and its alpha as a mask; decoded on a thread of its own while the rest of the
    // window is built, and taken over at first use.
    const QPixmap& circleImage();
    const QBitmap& circleMask();

    Q_DISABLE_COPY_MOVE(CustomView)

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Decoded
    {
        QImage image;
        QImage alpha;
    };
    void takeDecoded();

    std::future<Decoded> decoding;
    QPixmap image;
    QBitmap mask;
};

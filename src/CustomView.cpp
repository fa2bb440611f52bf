#include "CustomView.h"

#include <QGuiApplication>
#include <QPainter>

CustomView::CustomView(QWidget* parent)
    : QWidget(parent)
    // Decoding the PNG is about a tenth of the start-up; it runs beside the widgets' set-up.
    , decoding(std::async(std::launch::async, [] {
        Decoded decoded;
        decoded.image = QImage(QStringLiteral(":/images/earth.png"));
        if (!decoded.image.isNull())
            decoded.alpha = decoded.image.createAlphaMask();
        return decoded;
    }))
{
    setAttribute(Qt::WA_TranslucentBackground);
}

CustomView::~CustomView()
{
    if (decoding.valid())
        decoding.wait();
}

void CustomView::takeDecoded()
{
    if (!decoding.valid())
        return;
    const Decoded decoded = decoding.get();
    image = QPixmap::fromImage(decoded.image);
    if (!decoded.alpha.isNull())
        mask = QBitmap::fromImage(decoded.alpha);
}

const QPixmap& CustomView::circleImage()
{
    takeDecoded();
    return image;
}

const QBitmap& CustomView::circleMask()
{
    takeDecoded();
    return mask;
}

void CustomView::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect(), Qt::transparent);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.drawPixmap(0, 0, circleImage());
}

void CustomView::resizeEvent(QResizeEvent* /*event*/)
{
    // Without a compositor translucent pixels show black: the image's alpha becomes the
    // window's mask, so the shape holds (with hard edges).
    if (QGuiApplication::platformName() != QLatin1String("wayland") && !circleMask().isNull())
        window()->setMask(circleMask());
}

#include "CustomView.h"

#include <QGuiApplication>
#include <QPainter>

CustomView::CustomView(QWidget* parent)
    : QWidget(parent)
    // Decoding the PNG is about a tenth of the start-up; it runs beside the widgets' set-up.
    , decoding(std::async(std::launch::async, [] {
        Decoded decoded;
        decoded.image = QImage(QStringLiteral(":/images/earth.png"));
        if (!decoded.image.isNull()) {
            decoded.alpha = decoded.image.createAlphaMask();
            // The form a pixmap keeps and paints from, converted where it lies, so that the
            // window's thread takes the pixels over without a copy.
            decoded.image.convertTo(QImage::Format_ARGB32_Premultiplied);
        }
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
    Decoded decoded = decoding.get();
    image = QPixmap::fromImage(std::move(decoded.image));
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
    // The image's pixels, transparent ones too, replace what was there: one pass over the
    // window instead of clearing it first.
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    const QPixmap& picture = circleImage();
    painter.drawPixmap(0, 0, picture);
    for (const QRect& uncovered : QRegion(rect()) - QRect(QPoint(), picture.size()))
        painter.fillRect(uncovered, Qt::transparent);
}

void CustomView::resizeEvent(QResizeEvent* /*event*/)
{
    // Without a compositor translucent pixels show black: the image's alpha becomes the
    // window's mask, so the shape holds (with hard edges).
    if (QGuiApplication::platformName() != QLatin1String("wayland") && !circleMask().isNull())
        window()->setMask(circleMask());
}

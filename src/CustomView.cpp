#include "CustomView.h"

#include <QBitmap>
#include <QGuiApplication>
#include <QPainter>

CustomView::CustomView(QWidget* parent)
    : QWidget(parent)
    , circleImage(QStringLiteral(":/images/earth.png"))
{
    setAttribute(Qt::WA_TranslucentBackground);
}

void CustomView::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect(), Qt::transparent);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.drawPixmap(0, 0, circleImage);
}

void CustomView::resizeEvent(QResizeEvent* /*event*/)
{
    // Without a compositor translucent pixels show black: the image's alpha becomes the
    // window's mask, so the shape holds (with hard edges).
    if (QGuiApplication::platformName() != QLatin1String("wayland") && !circleImage.isNull())
        window()->setMask(circleImage.mask());
}

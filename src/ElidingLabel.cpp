#include "ElidingLabel.h"

#include <QPainter>
#include <QStyle>

ElidingLabel::ElidingLabel(QWidget* parent)
    : QLabel(parent)
{
    // Texts from servers are shown as they are, never read as markup.
    setTextFormat(Qt::PlainText);
}

QString ElidingLabel::shownText() const
{
    return fontMetrics().elidedText(text(), Qt::ElideRight, contentsRect().width());
}

QSize ElidingLabel::minimumSizeHint() const
{
    // As narrow as "…": the layout gives the width, the text does not take it.
    return {fontMetrics().horizontalAdvance(QStringLiteral("\u2026")),
            QLabel::minimumSizeHint().height()};
}

void ElidingLabel::paintEvent(QPaintEvent* event)
{
    const QString shown = shownText();
    // A whole text is painted as a label paints it, selection included.
    if (shown == text()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    style()->drawItemText(&painter, contentsRect(),
                          QStyle::visualAlignment(layoutDirection(), alignment()), palette(),
                          isEnabled(), shown, foregroundRole());
}

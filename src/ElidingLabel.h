#pragma once

#include <QLabel>

// A one-line label for texts longer than its room, such as the status line: what does not fit
// is cut with "…" instead of at the window's edge, and the label never widens its layout.
class ElidingLabel final : public QLabel
{
    Q_OBJECT

public:
    explicit ElidingLabel(QWidget* parent = nullptr);

    // The text as it shows now: whole when it fits, else cut with "…".
    QString shownText() const;

    QSize minimumSizeHint() const override;

    Q_DISABLE_COPY_MOVE(ElidingLabel)

protected:
    void paintEvent(QPaintEvent* event) override;
};

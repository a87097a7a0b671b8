#include "app/GradientPanel.h"

#include <QLinearGradient>
#include <QPainter>

namespace tmq {

GradientPanel::GradientPanel(const QColor& top, const QColor& centre, const QColor& bottom,
                             QWidget* parent)
    : QWidget(parent), top_(top), centre_(centre), bottom_(bottom)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void GradientPanel::paintEvent(QPaintEvent* /*event*/)
{
    // The blend runs between the centres of the first and last pixel rows,
    // so that those rows and the middle one get the exact colours.
    const qreal first = 0.5;
    const qreal last = height() - 0.5;
    QLinearGradient gradient(QPointF(0, first), QPointF(0, last));
    gradient.setColorAt(0.0, top_);
    gradient.setColorAt(0.5, centre_);
    gradient.setColorAt(1.0, bottom_);

    QPainter painter(this);
    painter.fillRect(rect(), gradient);
}

} // namespace tmq

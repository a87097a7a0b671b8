#pragma once

#include <QColor>
#include <QWidget>

namespace tmq {

// A plain panel filled with a vertical three-colour blend: the top colour at
// the top edge, the centre colour on the horizontal centre line and the
// bottom colour at the bottom edge. It takes no focus and has no caption.
class GradientPanel : public QWidget {
    Q_OBJECT

public:
    GradientPanel(const QColor& top, const QColor& centre, const QColor& bottom,
                  QWidget* parent = nullptr);

    QColor topColor() const { return top_; }
    QColor centreColor() const { return centre_; }
    QColor bottomColor() const { return bottom_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor top_;
    QColor centre_;
    QColor bottom_;
};

} // namespace tmq

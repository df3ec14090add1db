// The style that makes every control big enough for a fingertip: buttons, edits, pickers,
// tabs and the tab bar's scroll arrows are at least one touch target high, and each step
// of a spin box or date/time picker is a square target of its own beside the field.
#pragma once

#include <QProxyStyle>

namespace vexal {

// About 9 mm on a 3.5" 240x320 panel (about 114 pixels per inch).
inline constexpr int kSmallTouchTarget = 32;
// About 7.5 mm on a 7" 800x480 panel (about 133 pixels per inch), where two columns of
// controls still fit.
inline constexpr int kLargeTouchTarget = 40;

inline int TouchTarget(bool largeLayout) {
    return largeLayout ? kLargeTouchTarget : kSmallTouchTarget;
}

class CTouchStyle : public QProxyStyle {
public:
    explicit CTouchStyle(int target) : target_(target) {}

    int Target() const { return target_; }

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override;
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                         SubControl part, const QWidget* widget) const override;

private:
    QRect SpinBoxPart(const QRect& frame, SubControl part) const;
    QRect ComboBoxPart(const QStyleOptionComplex* option, SubControl part,
                       const QWidget* widget) const;

    int target_;
};

// Makes the application's style the touch style for the layout.
void UseTouchStyle(bool largeLayout);

}  // namespace vexal

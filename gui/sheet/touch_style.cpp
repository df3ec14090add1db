#include "touch_style.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QStyleOption>
#include <algorithm>

namespace vexal {
namespace {

constexpr int kFrameWidth = 2;

bool IsTouchedControl(QStyle::ContentsType type) {
    switch (type) {
        case QStyle::CT_PushButton:
        case QStyle::CT_ToolButton:
        case QStyle::CT_CheckBox:
        case QStyle::CT_RadioButton:
        case QStyle::CT_ComboBox:
        case QStyle::CT_LineEdit:
        case QStyle::CT_SpinBox:
        case QStyle::CT_TabBarTab:
            return true;
        default:
            return false;
    }
}

}  // namespace

QSize CTouchStyle::sizeFromContents(ContentsType type, const QStyleOption* option,
                                    const QSize& size, const QWidget* widget) const {
    QSize shown = QProxyStyle::sizeFromContents(type, option, size, widget);
    if (!IsTouchedControl(type)) return shown;
    shown.setHeight(std::max(shown.height(), target_));
    // The field keeps its room; two square steps come beside it.
    if (type == CT_SpinBox) shown.setWidth(size.width() + 2 * target_ + 2 * kFrameWidth);
    if (type == CT_ComboBox) shown.setWidth(size.width() + target_ + 2 * kFrameWidth);
    return shown;
}

int CTouchStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                             const QWidget* widget) const {
    if (metric == PM_TabBarScrollButtonWidth) return target_;
    return QProxyStyle::pixelMetric(metric, option, widget);
}

QRect CTouchStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                                  SubControl part, const QWidget* widget) const {
    if (control == CC_SpinBox) {
        const auto* spin = qstyleoption_cast<const QStyleOptionSpinBox*>(option);
        if (spin != nullptr && spin->buttonSymbols != QAbstractSpinBox::NoButtons) {
            return SpinBoxPart(option->rect, part);
        }
    }
    if (control == CC_ComboBox) return ComboBoxPart(option, part, widget);
    return QProxyStyle::subControlRect(control, option, part, widget);
}

// Down on the left of the two steps, up on the right, each as wide as the box is high
// and never narrower than a touch target.
QRect CTouchStyle::SpinBoxPart(const QRect& frame, SubControl part) const {
    const int step = std::max(target_, frame.height());
    const QRect up(frame.right() - step + 1, frame.top(), step, frame.height());
    const QRect down = up.translated(-step, 0);
    switch (part) {
        case SC_SpinBoxUp:
            return up;
        case SC_SpinBoxDown:
            return down;
        case SC_SpinBoxEditField:
            return QRect(frame.left() + kFrameWidth, frame.top() + kFrameWidth,
                         down.left() - frame.left() - kFrameWidth,
                         frame.height() - 2 * kFrameWidth);
        default:
            return frame;
    }
}

QRect CTouchStyle::ComboBoxPart(const QStyleOptionComplex* option, SubControl part,
                                const QWidget* widget) const {
    const QRect frame = option->rect;
    const int arrowWidth = std::max(target_, frame.height());
    switch (part) {
        case SC_ComboBoxArrow:
            return QRect(frame.right() - arrowWidth + 1, frame.top(), arrowWidth, frame.height());
        case SC_ComboBoxEditField:
            return QRect(frame.left() + kFrameWidth, frame.top() + kFrameWidth,
                         frame.width() - arrowWidth - 2 * kFrameWidth,
                         frame.height() - 2 * kFrameWidth);
        default:
            return QProxyStyle::subControlRect(CC_ComboBox, option, part, widget);
    }
}

void UseTouchStyle(bool largeLayout) {
    QApplication::setStyle(new CTouchStyle(TouchTarget(largeLayout)));
}

}  // namespace vexal

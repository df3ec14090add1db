#include "variable_trend.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cstring>

namespace vexal {
namespace {

// The variable's bytes sit in controller order, high byte first, from the first byte of
// the value word on.
uint32_t BigEndianBits(uint32_t valueWord, int bytes) {
    uint8_t raw[4];
    std::memcpy(raw, &valueWord, sizeof raw);
    uint32_t bits = 0;
    for (int index = 0; index < bytes; ++index) bits = bits << 8 | raw[index];
    return bits;
}

int ValueBytes(uint8_t kind) {
    switch (kind) {
        case VARIABLE_KIND_BIT:
        case VARIABLE_KIND_BYTE:
            return 1;
        case VARIABLE_KIND_WORD:
            return 2;
        case VARIABLE_KIND_DWORD:
            return 4;
        default:
            return 0;
    }
}

QString Number(double value) {
    return QString::number(value, 'g', 7);
}

}  // namespace

std::optional<double> TrendValue(const VariableDescriptor& variable, uint32_t valueWord,
                                 int format) {
    const int bytes = ValueBytes(variable.kind);
    if (bytes == 0) return std::nullopt;
    const uint32_t bits = BigEndianBits(valueWord, bytes);
    switch (format) {
        case VARIABLE_FORMAT_BIN:
        case VARIABLE_FORMAT_HEX:
            return static_cast<double>(bits);
        case VARIABLE_FORMAT_DEC:
            if (bytes == 2) return static_cast<double>(static_cast<int16_t>(bits));
            if (bytes == 4) return static_cast<double>(static_cast<int32_t>(bits));
            return static_cast<double>(bits & (variable.kind == VARIABLE_KIND_BIT ? 1u : 0xFFu));
        case VARIABLE_FORMAT_FLOAT: {
            if (bytes != 4) return std::nullopt;
            float real = 0;
            std::memcpy(&real, &bits, sizeof real);
            return static_cast<double>(real);
        }
        default:
            return std::nullopt;
    }
}

CVariableTrend::CVariableTrend(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("variableTrend"));
    setAccessibleName(tr("Trend"));
    setMinimumHeight(40);
    Clear();
}

void CVariableTrend::AddSample(double value) {
    samples_.push_back(value);
    if (samples_.size() > kCapacity) samples_.pop_front();
    UpdateRange();
}

void CVariableTrend::Clear() {
    samples_.clear();
    UpdateRange();
}

void CVariableTrend::SetSteps(bool steps) {
    steps_ = steps;
    update();
}

void CVariableTrend::UpdateRange() {
    if (samples_.empty()) {
        minimum_ = maximum_ = 0;
        setAccessibleDescription(tr("no values"));
    } else {
        const auto [low, high] = std::minmax_element(samples_.begin(), samples_.end());
        minimum_ = *low;
        maximum_ = *high;
        setAccessibleDescription(
            tr("%1 values from %2 to %3, last %4")
                .arg(samples_.size())
                .arg(Number(minimum_), Number(maximum_), Number(samples_.back())));
    }
    update();
}

void CVariableTrend::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRectF area = QRectF(rect()).adjusted(2, 4, -2, -4);
    painter.fillRect(rect(), palette().base());
    painter.setPen(palette().mid().color());
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    if (samples_.empty()) return;
    const double span = maximum_ > minimum_ ? maximum_ - minimum_ : 1.0;
    const double step = area.width() / static_cast<double>(kCapacity - 1);
    auto pointAt = [&](size_t index) {
        const double level = maximum_ > minimum_ ? (samples_[index] - minimum_) / span : 0.5;
        return QPointF(area.left() + step * static_cast<double>(index),
                       area.bottom() - level * area.height());
    };
    QPainterPath path(pointAt(0));
    for (size_t index = 1; index < samples_.size(); ++index) {
        const QPointF point = pointAt(index);
        if (steps_) path.lineTo(point.x(), path.currentPosition().y());
        path.lineTo(point);
    }
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(palette().highlight().color(), 2));
    painter.drawPath(path);
}

}  // namespace vexal

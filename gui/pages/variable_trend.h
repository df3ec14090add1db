// The trend of one watched variable: its last 60 values (30 s of reads) drawn as a line,
// or as steps for a bit. Only the graph is painted; the page shows minimum and maximum in
// labels, and the graph tells assistive technology what it shows in its description.
#pragma once

#include <QWidget>
#include <deque>
#include <optional>

#include "cpulink.h"

namespace vexal {

class CVariableTrend : public QWidget {
    Q_OBJECT

public:
    static constexpr size_t kCapacity = 60;

    explicit CVariableTrend(QWidget* parent = nullptr);

    void AddSample(double value);
    void Clear();
    void SetSteps(bool steps);

    const std::deque<double>& Samples() const { return samples_; }
    double Minimum() const { return minimum_; }
    double Maximum() const { return maximum_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void UpdateRange();

    std::deque<double> samples_;
    double minimum_ = 0;
    double maximum_ = 0;
    bool steps_ = false;
};

// The number a trend draws for a value word in a display format: FLOAT as the IEEE single,
// DEC signed (a bit and a byte unsigned), HEX and BIN the raw bits. None for the formats
// that show no number (POINTER, COUNTER, S5_TIME) and for kinds without a plain value.
std::optional<double> TrendValue(const VariableDescriptor& variable, uint32_t valueWord,
                                 int format);

}  // namespace vexal

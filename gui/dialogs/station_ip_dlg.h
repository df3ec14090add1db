// The station IP dialog ("Station IP"): an IPv4 address typed octet by octet, for a
// connection to a station that the list does not show.
#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

class QLineEdit;

namespace vexal {

// The value of `text` when it is a decimal number from 0 to 255 with nothing after it
// (blanks before it are allowed); none for an empty or any other text.
std::optional<uint8_t> OctetValue(const QString& text);

class CStationIpDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kTemplateId = 130;
    static constexpr int kOctets = 4;

    CStationIpDlg(bool largeLayout, QWidget* parent);

    // Shows the octets of `ipAddress` and runs the dialog; on OK `ipAddress` holds the
    // confirmed address, first octet in the least significant byte.
    int DoModal();

    // Keeps the dialog open with the first invalid octet selected.
    void accept() override;

    uint32_t ipAddress = 0;
    std::array<QString, kOctets> octetText;

private:
    void ReadOctets();
    void OnOctetChanged(int index);

    std::array<QLineEdit*, kOctets> octetEdits_{};
};

}  // namespace vexal

// The structure of an S7 frame as text, without the contents that depend on the program,
// the time or the serial number: two controllers that answer a request alike give equal
// shapes.
#pragma once

#include <cstdio>
#include <set>
#include <string>

#include "raw_iso.h"

namespace vexal::testing {

inline std::string HexWord(unsigned value, const char* format = "%02X") {
    char text[16];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// Block-list entries: the set of their flag and language bytes.
inline std::string EntryFlags(const uint8_t* data, size_t size) {
    std::set<std::string> flags;
    for (size_t at = 4; at + 4 <= size; at += 4) flags.insert(HexWord(data[at + 2] << 8 | data[at + 3], "%04X"));
    std::string text;
    for (const std::string& flag : flags) text += " " + flag;
    return text;
}

// A status list's header: id, index as returned, record length and, for lists whose size
// does not follow the program, the record count.
inline std::string ListHeader(const uint8_t* data, size_t size) {
    if (size < 12) return " short";
    const unsigned id = data[4] << 8 | data[5];
    const bool programSized = id == 0x00A0 || id == 0x0000 || (id & 0xFF) == 0x1C;
    return " list " + HexWord(id, "%04X") + "/" + HexWord(data[6] << 8 | data[7], "%04X") + " " +
           std::to_string(data[8] << 8 | data[9]) + "x" +
           (programSized ? std::string("n") : std::to_string(data[10] << 8 | data[11]));
}

inline std::string UserdataShape(const uint8_t* par, size_t parLength, const uint8_t* data,
                                 size_t dataLength, bool first) {
    if (parLength < 8) return " short";
    std::string text = " par " + HexWord(par[4]) + " " + HexWord(par[5]) + " " + HexWord(par[6]) +
                       (par[7] != 0 ? " seq" : " 0");
    if (parLength >= 12) text += " unit " + HexWord(par[9]) + " err " + HexWord(par[10] << 8 | par[11], "%04X");
    if (dataLength < 4) return text;
    text += " data " + HexWord(data[0]) + " " + HexWord(data[1]);
    const unsigned service = (par[5] & 0x0F) << 8 | par[6];
    if (service == 0x401 && data[0] == 0xFF && par[3] == 8 && first) text += ListHeader(data, dataLength);
    if (service == 0x302 && data[0] == 0xFF) text += EntryFlags(data, dataLength);
    if (service == 0x701 || service == 0x301) text += " " + std::to_string(dataLength);
    if (service == 0x701) text += " " + HexWord(data[5]);
    return text;
}

// Read-variable items: return code, transport size and length of each.
inline std::string ItemsShape(const uint8_t* data, size_t size) {
    std::string text;
    for (size_t at = 0; at + 4 <= size;) {
        const unsigned transport = data[at + 1], length = data[at + 2] << 8 | data[at + 3];
        text += " " + HexWord(data[at]) + "/" + HexWord(transport) + "/" + std::to_string(length);
        const bool inBits = transport == 3 || transport == 4 || transport == 5;
        const size_t bytes = data[at] != 0xFF ? 0 : inBits ? (length + 7) / 8 : length;
        at += 4 + bytes + (bytes & 1);
    }
    return text;
}

// `first`: the frame is the first answer to a request, not a later fragment of it.
inline std::string Shape(const Bytes& frame, bool first = true) {
    if (frame.size() < 17 || frame[7] != 0x32) return "iso " + ToHex(Bytes(frame.begin(), frame.begin() + std::min<size_t>(7, frame.size())));
    const uint8_t* pdu = frame.data() + 7;
    const unsigned type = pdu[1], parLength = pdu[6] << 8 | pdu[7], dataLength = pdu[8] << 8 | pdu[9];
    const size_t head = type == 2 || type == 3 ? 12 : 10;
    if (frame.size() < 7 + head + parLength + dataLength) return "truncated";
    const uint8_t* par = pdu + head;
    const uint8_t* data = par + parLength;
    std::string text = "type " + HexWord(type);
    if (head == 12) text += " err " + HexWord(pdu[10] << 8 | pdu[11], "%04X");
    if (type == 7) return text + UserdataShape(par, parLength, data, dataLength, first);
    const unsigned function = parLength > 0 ? par[0] : 0;
    if (function != 0x1D) text += " par " + std::to_string(parLength);
    if (parLength > 0) text += " fn " + HexWord(function);
    if (function == 0x04 && type == 3) return text + ItemsShape(data, dataLength);
    if (function == 0x05 || function == 0x04) return text + " count " + std::to_string(par[1]) + " data " + ToHex(Bytes(data, data + dataLength));
    if ((function == 0x1B || function == 0x1E) && parLength > 1) text += " more " + std::to_string(par[1]);
    return text + (dataLength > 0 ? " data" : "");
}

}  // namespace vexal::testing

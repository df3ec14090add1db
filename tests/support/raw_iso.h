// Raw ISO-on-TCP frames for tests that check bytes on the wire: frames written as hex
// text, a client that sends and receives whole TPKT frames, and a scripted peer that
// plays a controller from a list of expected requests and canned answers.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "s7_pdu.h"
#include "tcp_socket.h"

namespace vexal::testing {

// "03 00 00 16 ..." as bytes; blanks are ignored.
inline Bytes Hex(std::string text) {
    std::erase(text, ' ');
    Bytes bytes;
    for (size_t i = 0; i + 1 < text.size(); i += 2) {
        bytes.push_back(static_cast<uint8_t>(std::stoul(text.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

inline std::string ToHex(const Bytes& bytes) {
    std::string text;
    char two[4];
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(two, sizeof two, i == 0 ? "%02X" : " %02X", bytes[i]);
        text += two;
    }
    return text;
}

// An S7 PDU in one TPKT and one DT TPDU.
inline Bytes Frame(const Bytes& pdu) {
    const size_t length = pdu.size() + 7;
    Bytes frame(length);
    const uint8_t head[] = {
        0x03, 0x00, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length), 0x02,
        0xF0, 0x80};
    std::copy(head, head + 7, frame.begin());
    std::copy(pdu.begin(), pdu.end(), frame.begin() + 7);
    return frame;
}

// A framed S7 PDU with its PDU reference replaced.
inline Bytes WithReference(Bytes frame, uint16_t reference) {
    frame[11] = static_cast<uint8_t>(reference >> 8);
    frame[12] = static_cast<uint8_t>(reference);
    return frame;
}

inline uint16_t ReferenceOf(const Bytes& frame) {
    return frame.size() > 12 ? static_cast<uint16_t>(frame[11] << 8 | frame[12]) : 0;
}

// Reads one whole TPKT frame; empty when the stream ends or 3 s pass.
inline Bytes ReadFrame(platform::TcpStream& stream) {
    Bytes frame(4);
    const int64_t deadline = platform::MonotonicMs() + 3000;
    if (stream.ReceiveExact(frame.data(), 4, deadline) != platform::IoResult::kOk) return {};
    const size_t length = static_cast<size_t>(frame[2] << 8 | frame[3]);
    if (length < 4) return {};
    frame.resize(length);
    if (stream.ReceiveExact(frame.data() + 4, length - 4, deadline) != platform::IoResult::kOk) {
        return {};
    }
    return frame;
}

class RawIsoClient {
public:
    bool Connect(uint16_t port) {
        return stream_.Connect(0x0100007F, port, 3000) == platform::IoResult::kOk;
    }
    bool Send(const Bytes& frame) {
        return stream_.SendAll(frame.data(), frame.size(), 3000) == platform::IoResult::kOk;
    }
    Bytes Receive() { return ReadFrame(stream_); }
    Bytes Exchange(const Bytes& frame) { return Send(frame) ? Receive() : Bytes{}; }
    // Connection request and set-up communication asking for `pdu` bytes.
    bool Open(uint16_t port, uint16_t pdu = 960) {
        if (!Connect(port) ||
            Exchange(Hex("03000016 11E00000000100C0010AC1020100C2020102")).empty()) {
            return false;
        }
        Bytes setup = Hex("32 01 0000 0001 0008 0000 F0 00 0001 0001 0000");
        setup[16] = static_cast<uint8_t>(pdu >> 8);
        setup[17] = static_cast<uint8_t>(pdu);
        return !Exchange(Frame(setup)).empty();
    }
    platform::TcpStream& Stream() { return stream_; }

private:
    platform::TcpStream stream_;
};

// Plays a controller: for each step it reads one frame, keeps it, and sends the answer
// frames of that step. Runs on its own thread from construction until the script ends.
class ScriptedPeer {
public:
    struct Step {
        std::vector<Bytes> answers;  // whole frames sent back, in order
    };

    // With `echoReference`, each answer carries the PDU reference of the frame it answers.
    explicit ScriptedPeer(std::vector<Step> script, bool echoReference = false)
        : script_(std::move(script)), echoReference_(echoReference) {
        std::string error;
        listener_.Listen("127.0.0.1", 0, &error);
        thread_ = std::thread([this] { Run(); });
    }
    ~ScriptedPeer() { Finish(); }
    uint16_t Port() const { return listener_.LocalPort(); }
    // Waits for the script to end (close the library's link first) and gives the frames
    // received, one per step.
    std::vector<Bytes> Finish() {
        listener_.Shutdown();
        if (thread_.joinable()) thread_.join();
        return received_;
    }

private:
    void Run() {
        platform::TcpStream stream;
        if (listener_.Accept(&stream, 5000) != platform::IoResult::kOk) return;
        for (const Step& step : script_) {
            Bytes frame = ReadFrame(stream);
            if (frame.empty()) return;
            received_.push_back(frame);
            for (Bytes answer : step.answers) {
                if (echoReference_) answer = WithReference(answer, ReferenceOf(frame));
                stream.SendAll(answer.data(), answer.size(), 3000);
            }
        }
        // Keep the connection open until the library closes it.
        ReadFrame(stream);
    }

    std::vector<Step> script_;
    bool echoReference_ = false;
    platform::TcpListener listener_;
    std::thread thread_;
    std::vector<Bytes> received_;
};

}  // namespace vexal::testing

// A controller that gets block uploads wrong on purpose, for the cases the simulator never
// produces: it lists one block of every type asked for and answers any upload with the
// image and announced length it was given, optionally flagging "more data follows" on
// every chunk for ever.
#pragma once

#include <atomic>
#include <string>
#include <thread>

#include "raw_iso.h"

namespace vexal::testing {

struct UploadFault {
    Bytes image;
    uint32_t announced = 0;  // 0: the start answer announces no length
    bool endless = false;
};

class MisbehavingPeer {
public:
    MisbehavingPeer(uint16_t listedNumber, UploadFault fault)
        : listed_(listedNumber), fault_(std::move(fault)) {
        std::string error;
        listener_.Listen("127.0.0.1", 0, &error);
        thread_ = std::thread([this] { Serve(); });
    }
    ~MisbehavingPeer() {
        stop_ = true;
        listener_.Shutdown();
        thread_.join();
    }
    uint16_t Port() const { return listener_.LocalPort(); }
    int UploadRequests() const { return uploads_; }

private:
    static constexpr size_t kChunk = 200;  // fits a 240-byte PDU

    void Serve() {
        platform::TcpStream stream;
        if (listener_.Accept(&stream, 5000) != platform::IoResult::kOk) return;
        while (!stop_) {
            const Bytes frame = ReadFrame(stream);
            if (frame.size() < 7) return;
            const Bytes answer = Answer(frame);
            if (answer.empty()) return;
            stream.SendAll(answer.data(), answer.size(), 3000);
        }
    }

    Bytes Answer(const Bytes& frame) {
        if (frame[5] == 0xE0) {
            Bytes confirm = frame;
            confirm[5] = 0xD0;
            confirm[9] = 0x01;
            return confirm;
        }
        if (frame.size() < 18) return {};
        const uint16_t reference = ReferenceOf(frame);
        if (frame[8] == 0x07) {
            return Reply(0x07, reference, Hex("000112 08 12 83 02 00 0000 0000"),
                         {0xFF, 0x09, 0x00, 0x04, static_cast<uint8_t>(listed_ >> 8),
                          static_cast<uint8_t>(listed_), 0x22, 0x00});
        }
        switch (frame[17]) {
            case 0xF0:
                return Reply(0x03, reference, Hex("F0 00 0001 0001 00F0"), {});
            case 0x1D:
                return Reply(0x03, reference, StartAnswer(), {});
            case 0x1E: {
                const Bytes data = Chunk();
                return Reply(0x03, reference, {0x1E, more_}, data);
            }
            case 0x1F:
                return Reply(0x03, reference, {0x1F}, {});
            default:
                return {};
        }
    }

    Bytes StartAnswer() {
        sent_ = 0;
        Bytes params = Hex("1D 00 0100 00000007");
        if (fault_.announced == 0) return params;
        const std::string digits = std::to_string(fault_.announced);
        params.push_back(static_cast<uint8_t>(digits.size()));
        params.insert(params.end(), digits.begin(), digits.end());
        return params;
    }

    // The next chunk of the image; sets more_ for its answer.
    Bytes Chunk() {
        ++uploads_;
        if (sent_ == fault_.image.size() && fault_.endless) sent_ = 0;
        const size_t part = std::min(kChunk, fault_.image.size() - sent_);
        Bytes data = {static_cast<uint8_t>(part >> 8), static_cast<uint8_t>(part), 0x00, 0xFB};
        data.insert(data.end(), fault_.image.begin() + sent_, fault_.image.begin() + sent_ + part);
        sent_ += part;
        more_ = fault_.endless || sent_ < fault_.image.size() ? 1 : 0;
        return data;
    }

    Bytes Reply(uint8_t type, uint16_t reference, const Bytes& params, const Bytes& data) {
        Bytes pdu = {0x32,
                     type,
                     0,
                     0,
                     static_cast<uint8_t>(reference >> 8),
                     static_cast<uint8_t>(reference),
                     0,
                     static_cast<uint8_t>(params.size()),
                     static_cast<uint8_t>(data.size() >> 8),
                     static_cast<uint8_t>(data.size())};
        if (type == 0x03) pdu.insert(pdu.end(), {0, 0});
        pdu.insert(pdu.end(), params.begin(), params.end());
        pdu.insert(pdu.end(), data.begin(), data.end());
        return Frame(pdu);
    }

    uint16_t listed_;
    UploadFault fault_;
    size_t sent_ = 0;
    uint8_t more_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> uploads_{0};
    platform::TcpListener listener_;
    std::thread thread_;
};

}  // namespace vexal::testing

// Scripted controller answers for a scripted peer: framed PDUs, and an upload session that
// serves whatever image it is given, for the uploads a real controller never gets wrong.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "raw_iso.h"

namespace vexal::testing {

inline const Bytes kConnectionConfirm =
    Hex("03 00 00 16 11 D0 00 01 00 44 00 C0 01 0A C1 02 01 00 C2 02 01 02");
inline const Bytes kSetupAnswer = Frame(Hex("32 03 0000 0001 0008 0000 0000 F0 00 0001 0001 00F0"));

// A framed PDU with reference 2 (an ack-data's with no error).
inline Bytes FramedPdu(uint8_t type, const Bytes& params, const Bytes& data = {}) {
    return Frame(Pdu(type, params, data, 2));
}

// A peer step that answers with these frames.
inline std::vector<ScriptedPeer::Step> Answer(std::vector<Bytes> frames) {
    return {{std::move(frames)}};
}

// The answers to one upload: a start announcing `announced` bytes (none when 0), the image
// in 200-byte chunks (for ever, flagged "more follows", when endless) and the end; the
// start answers the request with the given reference, the rest the ones after it.
inline std::vector<ScriptedPeer::Step> UploadAnswers(const Bytes& image, uint32_t announced,
                                                     bool endless, uint16_t reference = 2) {
    Bytes start = Hex("1D 00 0100 00000007");
    if (announced != 0) {
        const std::string digits = std::to_string(announced);
        start.push_back(static_cast<uint8_t>(digits.size()));
        start.insert(start.end(), digits.begin(), digits.end());
    }
    std::vector<ScriptedPeer::Step> steps = Answer({WithReference(FramedPdu(3, start), reference)});
    for (size_t sent = 0; endless ? steps.size() <= 500 : sent < image.size();) {
        if (sent == image.size()) sent = 0;
        const size_t part = std::min<size_t>(200, image.size() - sent);
        Bytes data = {0, static_cast<uint8_t>(part), 0x00, 0xFB};
        data.insert(data.end(), image.begin() + sent, image.begin() + sent + part);
        sent += part;
        const uint8_t more = endless || sent < image.size() ? 1 : 0;
        steps.push_back(
            {{WithReference(FramedPdu(3, {0x1E, more}, data), steps.size() + reference)}});
    }
    steps.push_back({{WithReference(FramedPdu(3, {0x1F}), steps.size() + reference)}});
    return steps;
}

// A whole session: connection confirm, 240 bytes granted, a list of blocks of the type
// asked for naming block `listed`, then the upload's answers.
inline std::vector<ScriptedPeer::Step> ListAndUploadSession(uint16_t listed, const Bytes& image,
                                                            uint32_t announced, bool endless) {
    Bytes list = Hex("32 07 0000 0002 000C 0008 000112 08 12 83 02 00 0000 0000 FF 09 0004");
    list.insert(list.end(),
                {static_cast<uint8_t>(listed >> 8), static_cast<uint8_t>(listed), 0x22, 0x00});
    std::vector<ScriptedPeer::Step> steps = {
        {{kConnectionConfirm}}, {{kSetupAnswer}}, {{Frame(list)}}};
    for (auto& step : UploadAnswers(image, announced, endless, 3)) steps.push_back(step);
    return steps;
}

}  // namespace vexal::testing

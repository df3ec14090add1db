#include "sim_dump.h"

#include <cstdio>

#include "replacing_file.h"
#include "sha256.h"

namespace vexal::sim {
namespace {

constexpr size_t kDumpedFlagBytes = 256;

std::string Hex(const uint8_t* data, size_t size) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (size_t i = 0; i < size; ++i) {
        text += digits[data[i] >> 4];
        text += digits[data[i] & 0xF];
    }
    return text;
}

const char* KeyswitchName(Keyswitch keyswitch) {
    switch (keyswitch) {
        case Keyswitch::kRun:
            return "RUN";
        case Keyswitch::kRunP:
            return "RUN-P";
        case Keyswitch::kStop:
            return "STOP";
        default:
            return "MRES";
    }
}

std::string BlocksJson(const PlcController& controller) {
    std::string json;
    const BlockStore& blocks = controller.Blocks();
    for (int position = 0; position < blocks.BlockCount(); ++position) {
        const auto& entry = blocks.EntryAt(position);
        const Bytes image = controller.CurrentImage(entry.type, entry.number);
        char head[96];
        std::snprintf(head, sizeof head, "    {\"type\": \"%s\", \"number\": %u, \"length\": %zu, ",
                      BlockTypeName(entry.type), entry.number, image.size());
        json += (position == 0 ? "" : ",\n") + std::string(head) + "\"sha256\": \"" +
                Sha256Hex(image.data(), image.size()) + "\"}";
    }
    return json;
}

std::string DataBlocksJson(const PlcController& controller) {
    std::string json;
    for (const auto& [number, data] : controller.DataBlocks()) {
        json += (json.empty() ? "" : ",\n") + std::string("    {\"number\": ") +
                std::to_string(number) + ", \"data\": \"" + Hex(data.data(), data.size()) + "\"}";
    }
    return json;
}

std::string DiagnosticsJson(const PlcController& controller) {
    std::string json;
    for (const DiagnosticEntry& entry : controller.Diagnostics()) {
        char text[64];
        std::snprintf(text, sizeof text, "    {\"event\": \"0x%02X%02X\", \"entry\": \"", entry[0],
                      entry[1]);
        json += (json.empty() ? "" : ",\n") + std::string(text) + Hex(entry.data(), entry.size()) +
                "\"}";
    }
    return json;
}

}  // namespace

std::string DumpJson(const PlcController& controller) {
    const bool running = controller.Mode() == OperatingMode::kRun;
    std::string json = "{\n";
    json += std::string("  \"mode\": \"") + (running ? "RUN" : "STOP") + "\",\n";
    json += std::string("  \"keyswitch\": \"") + KeyswitchName(controller.Selector()) + "\",\n";
    json += "  \"blocks\": [\n" + BlocksJson(controller) + "\n  ],\n";
    json += "  \"flags\": \"" + Hex(controller.Flags(), kDumpedFlagBytes) + "\",\n";
    json += "  \"dataBlocks\": [\n" + DataBlocksJson(controller) + "\n  ],\n";
    json += "  \"clockOffsetMs\": " + std::to_string(controller.ClockOffsetMs()) + ",\n";
    json += "  \"diagnostics\": [\n" + DiagnosticsJson(controller) + "\n  ]\n}\n";
    return json;
}

bool WriteDump(PlcController& controller, const std::string& path) {
    std::string json;
    {
        std::lock_guard<std::mutex> hold(controller.Lock());
        json = DumpJson(controller);
    }
    platform::ReplacingFile file;
    return file.Open(path.c_str()) && file.Write(json.data(), json.size()) && file.Commit();
}

}  // namespace vexal::sim

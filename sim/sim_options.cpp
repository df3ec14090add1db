#include "sim_options.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace vexal::sim {

const char kSimUsage[] =
    "usage: vexal-plcsim [--listen ADDR:PORT]... [--program FILE.wld] [--password TEXT]\n"
    "                    [--mode run|stop] [--keyswitch run|run-p|stop|mres] [--pdu N]\n"
    "                    [--drop-after N] [--delay-ms N] [--refuse-ssl ID]... [--protect "
    "BLOCK]...\n"
    "                    [--dump FILE] [--mpi-bus FILE --mpi-address N] [--mpi-station N]...\n"
    "                    [--discovery IFACE --ip A.B.C.D --mask A.B.C.D]\n";

namespace {

constexpr uint32_t kSmallestPdu = 128;
constexpr uint32_t kLargestPdu = 960;

bool ParseNumber(const std::string& text, uint32_t lowest, uint32_t highest, uint32_t* value,
                 int base = 10) {
    if (text.empty() || text[0] == '-' || text[0] == '+') return false;
    char* end = nullptr;
    errno = 0;
    const unsigned long number = std::strtoul(text.c_str(), &end, base);
    if (errno != 0 || *end != '\0' || number < lowest || number > highest) return false;
    *value = static_cast<uint32_t>(number);
    return true;
}

bool ParseEndpoint(const std::string& text, Endpoint* endpoint) {
    const size_t colon = text.rfind(':');
    uint32_t port = 0;
    if (colon == std::string::npos || colon == 0) return false;
    if (!ParseNumber(text.substr(colon + 1), 0, 65535, &port)) return false;
    endpoint->host = text.substr(0, colon);
    endpoint->port = static_cast<uint16_t>(port);
    return true;
}

bool ParseMode(const std::string& text, OperatingMode* mode) {
    if (text == "run")
        *mode = OperatingMode::kRun;
    else if (text == "stop")
        *mode = OperatingMode::kStop;
    else
        return false;
    return true;
}

bool ParseKeyswitch(const std::string& text, Keyswitch* keyswitch) {
    if (text == "run")
        *keyswitch = Keyswitch::kRun;
    else if (text == "run-p")
        *keyswitch = Keyswitch::kRunP;
    else if (text == "stop")
        *keyswitch = Keyswitch::kStop;
    else if (text == "mres")
        *keyswitch = Keyswitch::kMres;
    else
        return false;
    return true;
}

// A controller password: one to eight printable ASCII characters.
bool IsPassword(const std::string& text) {
    if (text.empty() || text.size() > 8) return false;
    for (char c : text) {
        if (c < 0x20 || c > 0x7E) return false;
    }
    return true;
}

// Applies one option with its value; false when the value is not valid for it.
bool ApplyOption(const std::string& name, const std::string& value, SimOptions* options) {
    uint32_t number = 0;
    if (name == "--listen") {
        Endpoint endpoint;
        if (!ParseEndpoint(value, &endpoint)) return false;
        options->listen.push_back(endpoint);
        return true;
    }
    if (name == "--program") return !(options->programFile = value).empty();
    if (name == "--password") return IsPassword(options->password = value);
    if (name == "--mode") return ParseMode(value, &options->mode);
    if (name == "--keyswitch") return ParseKeyswitch(value, &options->keyswitch);
    if (name == "--dump") return !(options->dumpFile = value).empty();
    if (name == "--mpi-bus") return !(options->mpiBusFile = value).empty();
    if (name == "--discovery") return !(options->discoveryInterface = value).empty();
    if (name == "--ip") return !(options->discoveryIp = value).empty();
    if (name == "--mask") return !(options->discoveryMask = value).empty();
    if (name == "--mpi-address" && ParseNumber(value, 0, 126, &number)) {
        options->mpiAddress = static_cast<int>(number);
        return true;
    }
    if (name == "--mpi-station" && ParseNumber(value, 0, 126, &number)) {
        options->mpiStations.insert(static_cast<int>(number));
        return true;
    }
    if (name == "--protect") {
        BlockRef block = 0;
        if (!ParseBlockName(value, &block)) return false;
        options->protectedBlocks.insert(block);
        return true;
    }
    if (name == "--pdu" && ParseNumber(value, kSmallestPdu, kLargestPdu, &number)) {
        options->maxPdu = static_cast<uint16_t>(number);
        return true;
    }
    if (name == "--drop-after" && ParseNumber(value, 1, UINT32_MAX, &number)) {
        options->dropAfter = number;
        return true;
    }
    if (name == "--delay-ms" && ParseNumber(value, 0, 3600000, &number)) {
        options->delayMs = number;
        return true;
    }
    if (name == "--refuse-ssl" && ParseNumber(value, 0, 0xFFFF, &number, 0)) {
        options->refusedLists.insert(static_cast<uint16_t>(number));
        return true;
    }
    return false;
}

bool IsKnownOption(const std::string& name) {
    static const char* const names[] = {
        "--listen",      "--program",   "--password",   "--mode",    "--keyswitch",  "--pdu",
        "--drop-after",  "--delay-ms",  "--refuse-ssl", "--protect", "--dump",       "--mpi-bus",
        "--mpi-address", "--discovery", "--ip",         "--mask",    "--mpi-station"};
    for (const char* known : names) {
        if (name == known) return true;
    }
    return false;
}

// Options that only make sense together.
bool CheckOptionPairs(const SimOptions& options, std::string* error) {
    if (options.mpiBusFile.empty() != (options.mpiAddress < 0)) {
        *error = "--mpi-bus and --mpi-address go together";
        return false;
    }
    const bool discovery = !options.discoveryInterface.empty();
    if (discovery != !options.discoveryIp.empty() || discovery != !options.discoveryMask.empty()) {
        *error = "--discovery, --ip and --mask go together";
        return false;
    }
    return true;
}

}  // namespace

bool ParseBlockName(const std::string& text, BlockRef* block) {
    static const char* const prefixes[] = {"SDB", "OB", "FB", "FC", "DB"};
    static const int types[] = {BLOCK_TYPE_SDB, BLOCK_TYPE_OB, BLOCK_TYPE_FB, BLOCK_TYPE_FC,
                                BLOCK_TYPE_DB};
    std::string upper;
    for (char c : text) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (size_t i = 0; i < 5; ++i) {
        const size_t length = std::strlen(prefixes[i]);
        uint32_t number = 0;
        if (upper.compare(0, length, prefixes[i]) != 0) continue;
        const std::string digits = upper.substr(length);
        if (digits.empty() || !std::isdigit(static_cast<unsigned char>(digits[0])) ||
            !ParseNumber(digits, 0, 65535, &number)) {
            return false;
        }
        *block = BlockRef_Pack(types[i], static_cast<uint16_t>(number));
        return true;
    }
    return false;
}

bool ParseSimOptions(int argc, const char* const* argv, SimOptions* options, std::string* error) {
    for (int i = 0; i < argc; ++i) {
        const std::string name = argv[i];
        if (!IsKnownOption(name)) {
            *error = "unknown option " + name;
            return false;
        }
        if (i + 1 >= argc) {
            *error = name + " needs a value";
            return false;
        }
        const std::string value = argv[++i];
        if (!ApplyOption(name, value, options)) {
            *error = "bad value for " + name + ": " + value;
            return false;
        }
    }
    if (options->listen.empty()) options->listen.push_back({"127.0.0.1", 102});
    return CheckOptionPairs(*options, error);
}

}  // namespace vexal::sim

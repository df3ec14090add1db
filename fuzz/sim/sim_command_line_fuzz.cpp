// Arbitrary command lines for vexal-plcsim: the input is the arguments, each ended by a
// NUL byte. A line the parser accepts must give options the simulator can run with.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "sim_options.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> words(1);
    for (size_t i = 0; i < size && words.size() < 64; ++i) {
        if (data[i] == 0)
            words.emplace_back();
        else
            words.back() += static_cast<char>(data[i]);
    }
    std::vector<const char*> argv;
    for (const std::string& word : words) argv.push_back(word.c_str());
    vexal::sim::SimOptions options;
    std::string error;
    if (!vexal::sim::ParseSimOptions(static_cast<int>(argv.size()), argv.data(), &options,
                                     &error)) {
        if (error.empty()) std::abort();
        return 0;
    }
    if (options.listen.empty() || options.maxPdu < 128 || options.maxPdu > 960 ||
        options.password.size() > 8 || options.mpiBusFile.empty() != (options.mpiAddress < 0)) {
        std::abort();
    }
    return 0;
}

// The S7 exchanges of s7_exchanges.txt, which lies beside this header: golden frames that
// both the simulator and the library are tested against.
#pragma once

#include <fstream>
#include <string>
#include <vector>

#include "raw_iso.h"
#include "table_file.h"

namespace vexal::testing {

struct S7Exchange {
    struct Step {
        Bytes request;
        std::vector<Bytes> answers;         // the frames that answer it, in order
        std::vector<std::string> patterns;  // of recorded answers: their structure
    };
    std::string name;
    std::vector<Step> steps;
    // Captured from a controller; the simulator does not answer it word for word.
    bool Captured() const { return name.rfind("captured: ", 0) == 0; }
};

// The exchanges of a file in that format, named relative to this header's folder.
inline std::vector<S7Exchange> LoadS7Exchanges(const char* file = "s7_exchanges.txt") {
    std::ifstream in = OpenBeside(__FILE__, file);
    std::vector<S7Exchange> exchanges;
    for (std::string line; std::getline(in, line);) {
        const std::string text = line.size() > 2 ? line.substr(2) : "";
        if (line[0] == '=') exchanges.push_back({text, {}});
        if (exchanges.empty()) continue;
        std::vector<S7Exchange::Step>& steps = exchanges.back().steps;
        if (line[0] == '>') steps.push_back({Hex(text), {}});
        if (line[0] == '<' && !steps.empty()) steps.back().answers.push_back(Hex(text));
        if (line[0] == '?' && !steps.empty()) steps.back().patterns.push_back(text);
    }
    return exchanges;
}

// The exchange of that name; one without steps when there is none.
inline S7Exchange FindS7Exchange(const std::string& name) {
    for (S7Exchange& exchange : LoadS7Exchanges()) {
        if (exchange.name == name) return exchange;
    }
    return {name, {}};
}

}  // namespace vexal::testing

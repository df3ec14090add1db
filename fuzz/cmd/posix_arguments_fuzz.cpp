// Arbitrary POSIX argument vectors (the input split at NUL bytes) joined into the command
// line and read back by the tokeniser: nothing crashes, every argument's text reaches the
// line, and the line tokenises within the documented codes.
#include <cstdlib>
#include <string>
#include <vector>

#include "job.h"
#include "posix_arguments.h"
#include "tokeniser.h"
#include "wide_text.h"

namespace {

vexal::cmd::ArgumentTable arguments;
vexal::cmd::Job job;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> words(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            words.emplace_back();
        } else {
            words.back() += static_cast<char>(data[i]);
        }
    }
    std::vector<const char*> argv;
    for (const std::string& word : words) argv.push_back(word.c_str());
    const std::wstring line = vexal::cmd::JoinArguments(static_cast<int>(argv.size()), argv.data());
    for (const std::string& word : words) {
        if (line.find(vexal::cmd::Utf8ToWide(word.c_str())) == std::wstring::npos) std::abort();
    }
    const int count = vexal::cmd::TokeniseCommandLine(line.c_str(), arguments);
    if (count > vexal::cmd::kMaxArguments) std::abort();
    if (count > 0) vexal::cmd::BuildJob(arguments, job);
    return 0;
}

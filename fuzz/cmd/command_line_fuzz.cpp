// Arbitrary command lines through the tokeniser and the option and list checks: nothing
// may crash or overrun, and every result stays within the documented codes.
#include <cstdint>
#include <cstdlib>
#include <cwchar>
#include <string>

#include "job.h"
#include "tokeniser.h"
#include "wide_text.h"

namespace {

vexal::cmd::ArgumentTable arguments;
vexal::cmd::Job job;

void Require(bool condition) {
    if (!condition) std::abort();
}

void CheckArguments(int count) {
    for (int i = 0; i < count; ++i) {
        const auto& argument = arguments.items[i];
        Require(argument.keyword >= 0 && argument.keyword < vexal::cmd::kKeywordCount);
        Require(argument.valueLength <= vexal::cmd::kMaxValueLength);
        Require(std::wcslen(argument.value) == static_cast<size_t>(argument.valueLength));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string narrow(reinterpret_cast<const char*>(data), size);
    const std::wstring line = vexal::cmd::Utf8ToWide(narrow.c_str());
    const int count = vexal::cmd::TokeniseCommandLine(line.c_str(), arguments);
    Require(count >= vexal::cmd::kUnknownKeyword && count <= vexal::cmd::kMaxArguments);
    if (count <= 0) return 0;
    CheckArguments(count);
    const int built = vexal::cmd::BuildJob(arguments, job);
    Require(built == 0 || (built <= -101 && built >= -176));
    Require(job.commandCount <= count);
    return 0;
}

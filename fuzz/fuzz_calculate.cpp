// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes a whole Calculate: the first byte picks the method and the decimal
// separator, the rest holds the three input texts, split at '|'.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "form/form.h"
#include "form/memory_form_state.h"

namespace {

void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "property broken: %s\n", what);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const int method = data[0] % form::kOptionCount;
    const std::string separator = (data[0] & 4) ? "," : ".";
    std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);

    form::MemoryFormState state;
    for (int box = 0; box < form::kInputCount; ++box) {
        const auto bar = rest.find('|');
        state.inputs[box] = std::string(rest.substr(0, bar));
        rest = bar == std::string_view::npos ? std::string_view() : rest.substr(bar + 1);
    }
    form::Form form(state, separator);
    form.Option1_Click(method);
    form.Command1_Click(form::kCalculate);

    const std::string header =
        "Изчисляване: " + std::string(form::kMethods[method].caption) + "\r\n";
    Require(state.output.compare(0, header.size(), header) == 0, "the header line comes first");
    Require(state.warnings.size() <= 1, "at most one warning");
    Require(state.output.find("inf") == std::string::npos &&
                state.output.find("nan") == std::string::npos,
            "no inf or nan");
    Require(state.output.find(": -0\r\n") == std::string::npos, "no negative zero");
    const bool refused = method == 1 && state.output.size() > header.size() &&
                         state.output.compare(state.output.size() - 1, 1, "!") == 0;
    Require(refused || state.output.size() == header.size() ||
                state.output.compare(state.output.size() - 2, 2, "\r\n") == 0,
            "every line ends in CR LF");
    return 0;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes a whole Calculate: the first byte picks the method, the decimal
// separator and the sex (none, boy or girl), the rest holds the three input
// texts and the age's years and months, split at '|'.
//
// With FUZZ_PROCESS_LOCALE set to a comma locale (bg_BG.UTF-8), the process
// runs under that locale, as the window does, and every input is calculated
// a second time with this thread under "C": the two reports must be the same.
#include <locale.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "form/form.h"
#include "form/memory_form_state.h"
#include "tests/support/process_locale.h"

namespace {

bool compareWithC = false;

void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "property broken: %s\n", what);
        std::abort();
    }
}

struct Typed {
    std::array<std::string, form::kInputCount> inputs;
    std::array<std::string, form::kAgeBoxCount> ages;
    int sex;  // -1 none, else the sex's option button checked
};

form::MemoryFormState Calculate(int method, const std::string& separator, const Typed& typed) {
    form::MemoryFormState state;
    state.inputs = typed.inputs;
    state.ages = typed.ages;
    if (typed.sex >= 0) state.sexes[std::size_t(typed.sex)] = true;
    form::Form form(state, separator);
    form.Option1_Click(method);
    form.Command1_Click(form::kCalculate);
    return state;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* name = std::getenv("FUZZ_PROCESS_LOCALE");
    if (!name) return 0;
    if (const std::string problem = testing_support::SetCommaLocale(name); !problem.empty()) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        std::exit(2);
    }
    if (testing_support::CLocale() == locale_t(0)) std::exit(2);
    compareWithC = true;
    std::printf("process locale: %s; every input also calculated under C\n", name);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const int method = data[0] % form::kOptionCount;
    const std::string separator = (data[0] & 4) ? "," : ".";
    std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);

    Typed typed{{}, {}, (data[0] >> 3) % 3 - 1};
    const auto next = [&rest] {
        const auto bar = rest.find('|');
        std::string text(rest.substr(0, bar));
        rest = bar == std::string_view::npos ? std::string_view() : rest.substr(bar + 1);
        return text;
    };
    for (auto& input : typed.inputs) input = next();
    for (auto& age : typed.ages) age = next();
    const form::MemoryFormState state = Calculate(method, separator, typed);
    if (compareWithC) {
        uselocale(testing_support::CLocale());
        const form::MemoryFormState underC = Calculate(method, separator, typed);
        uselocale(LC_GLOBAL_LOCALE);
        Require(state.output == underC.output && state.warnings == underC.warnings,
                "the same report as under the C locale");
    }

    const std::string header =
        "Изчисляване: " + std::string(form::kMethodCaptions[method]) + "\r\n";
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

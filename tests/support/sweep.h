// SPDX-License-Identifier: GPL-3.0-or-later
// Every text a person can type into a three-character box, over the
// characters that change how a number reads, in every box, for every method
// and with both separators: the sweep that the tests check report by report
// and that the WebAssembly build must reproduce byte for byte.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "form/form.h"
#include "form/memory_form_state.h"

namespace testing_support {

inline const std::vector<std::string> kAlphabet = {
    "0", "1", "2", "3", "4", "5", "6", "7", "8", "9", ".",  ",", "+", "-",
    "e", "E", "d", "D", "&", "H", "h", "O", "o", " ", "\t", "x", "ж",
};

inline std::vector<std::string> AllTexts(int maxLength) {
    std::vector<std::string> texts{""};
    std::size_t from = 0;
    for (int length = 1; length <= maxLength; ++length) {
        const std::size_t to = texts.size();
        for (std::size_t i = from; i < to; ++i)
            for (const auto& c : kAlphabet) texts.push_back(texts[i] + c);
        from = to;
    }
    return texts;
}

// Calls visit(method, separator, state) after each Calculate, until it
// returns false: each box in turn holds every text, the others typical;
// then all three hold the same text. Returns the number of reports made.
template <class Visit>
long long Sweep(const std::vector<std::string>& texts, Visit visit) {
    const std::array<std::string, 3> typical = {"170", "72", "90"};
    long long reports = 0;
    for (const std::string separator : {".", ","}) {
        for (int method = 0; method < form::kOptionCount; ++method) {
            form::MemoryFormState state;
            form::Form form(state, separator);
            form.Option1_Click(method);
            for (int box = 0; box <= form::kInputCount; ++box) {
                for (const auto& text : texts) {
                    state.inputs = typical;
                    if (box == form::kInputCount)
                        state.inputs = {text, text, text};
                    else
                        state.inputs[box] = text;
                    state.warnings.clear();
                    form.Command1_Click(form::kCalculate);
                    ++reports;
                    if (!visit(method, separator, state)) return reports;
                }
            }
        }
    }
    return reports;
}

}  // namespace testing_support

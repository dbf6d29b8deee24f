// SPDX-License-Identifier: GPL-3.0-or-later
// The reports of the form's handlers, written out so that two builds of the
// same core (native and WebAssembly) can be compared byte for byte, and so
// that the web page's reports can be checked against the native ones.
//   report_dump sweep FILE   every report of the sweep and of a fixed set of
//                            random texts and values, into FILE
//   report_dump cases        reads METHOD\tSEPARATOR\tHEIGHT\tWEIGHT\tCHEST
//                            lines, each optionally followed by
//                            \tYEARS\tMONTHS\tSEX (SEX empty, or the index of
//                            the sex's option button that is checked), and
//                            prints each report, what is announced and the
//                            strip under it (its marks, lines, name, bands
//                            and boundaries) as a line of JSON
//   report_dump contrast     reads R G B R G B lines (0 to 255) and prints
//                            for each the two colours' relative luminances
//                            and their contrast ratio, by the guidelines'
//                            formula, for the page's tests
//   report_dump time         the time of a whole report, for each method
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <nlohmann/json.hpp>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "calc/decimal_chars.h"
#include "design/presentation.h"
#include "form/form.h"
#include "form/memory_form_state.h"
#include "tests/support/sweep.h"
#include "tests/support/wcag.h"

namespace {

using form::MemoryFormState;

// Texts of any length and the written forms of random doubles. Only the raw
// output of the engine is used: the standard distributions differ between
// standard libraries.
std::vector<std::string> RandomTexts(int count) {
    std::mt19937_64 random(20261209);
    std::vector<std::string> texts;
    const auto& alphabet = testing_support::kAlphabet;
    while (int(texts.size()) < count) {
        std::string text;
        for (auto length = random() % 13; length > 0; --length)
            text += alphabet[random() % alphabet.size()];
        texts.push_back(text);
        const std::uint64_t pattern = random();
        double value;
        std::memcpy(&value, &pattern, sizeof value);
        if (std::isfinite(value)) texts.push_back(calc::WriteScientific(value, int(random() % 18)));
        // One call a statement: compilers order a call's arguments differently.
        const double measurement = double(random() % 300'000) / 1000;
        texts.push_back(calc::WriteFixed(measurement, int(random() % 4)));
    }
    return texts;
}

void Write(std::FILE* out, const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), out);
}

int DumpSweep(const char* path) {
    std::FILE* out = std::fopen(path, "wb");
    if (!out) {
        std::perror(path);
        return 1;
    }
    long long reports = 0;
    for (const auto& texts : {testing_support::AllTexts(3), RandomTexts(6000)}) {
        reports += testing_support::Sweep(
            texts, [&](int method, const std::string& separator, const MemoryFormState& state) {
                Write(out, std::to_string(method) + separator + "\x1f");
                for (const auto& input : state.inputs) Write(out, input + "\x1f");
                Write(out, state.output);
                for (const auto& warning : state.warnings) Write(out, "\x1f" + warning);
                Write(out, "\x1e\n");
                return true;
            });
    }
    if (std::fclose(out) != 0) {
        std::perror(path);
        return 1;
    }
    std::printf("reports written: %lld\n", reports);
    return 0;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields{""};
    for (char c : line) {
        if (c == '\t')
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

int DumpCases() {
    std::string line;
    while (std::getline(std::cin, line)) {
        const auto fields = Fields(line);
        const bool person = fields.size() == 8;
        if ((fields.size() != 5 && !person) || fields[0].size() != 1 || fields[0][0] < '0' ||
            fields[0][0] > '3' ||
            (person && fields[7] != "" && fields[7] != "0" && fields[7] != "1")) {
            std::cerr << "not METHOD\\tSEPARATOR\\tHEIGHT\\tWEIGHT\\tCHEST"
                         "[\\tYEARS\\tMONTHS\\tSEX]: "
                      << line << "\n";
            return 2;
        }
        MemoryFormState state;
        form::Form form(state, fields[1]);
        form.Option1_Click(fields[0][0] - '0');
        state.inputs = {fields[2], fields[3], fields[4]};
        if (person) {
            state.ages = {fields[5], fields[6]};
            if (!fields[7].empty()) state.sexes[std::size_t(fields[7][0] - '0')] = true;
        }
        const design::CommandOutcome outcome = design::Command(form, state, form::kCalculate);
        const auto place = [](const std::optional<design::ScalePlace>& p) {
            return p ? nlohmann::ordered_json{{"along", p->along}, {"beyond", p->beyond}}
                     : nlohmann::ordered_json();
        };
        const design::Strip& strip = *outcome.strip;
        nlohmann::ordered_json bands = nlohmann::ordered_json::array(),
                               boundaries = nlohmann::ordered_json::array();
        for (const design::Band& b : strip.bands)
            bands.push_back({{"from", b.from},
                             {"to", b.to},
                             {"colour", {b.colour.red, b.colour.green, b.colour.blue}}});
        for (const design::Boundary& b : strip.boundaries)
            boundaries.push_back({{"at", b.at}, {"label", b.label}, {"minor", b.minor}});
        const nlohmann::ordered_json report{{"output", state.output},
                                            {"warnings", state.warnings},
                                            {"announcement", outcome.announcement},
                                            {"strip",
                                             {{"standing", place(strip.standing)},
                                              {"desired", place(strip.desired)},
                                              {"rangeNote", strip.rangeNote},
                                              {"scopeNote", strip.scopeNote},
                                              {"bands", bands},
                                              {"boundaries", boundaries},
                                              {"name", strip.name}}}};
        std::cout << report.dump() << '\n';
    }
    return 0;
}

int DumpContrasts() {
    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream in(line);
        int c[6];
        if (!(in >> c[0] >> c[1] >> c[2] >> c[3] >> c[4] >> c[5])) {
            std::cerr << "not R G B R G B: " << line << "\n";
            return 2;
        }
        const double a = testing_support::RelativeLuminance(c[0], c[1], c[2]);
        const double b = testing_support::RelativeLuminance(c[3], c[4], c[5]);
        std::cout << nlohmann::json{a, b, testing_support::ContrastOfLuminances(a, b)}.dump()
                  << '\n';
    }
    return 0;
}

int Time() {
    constexpr int kRuns = 200'000;
    for (int method = 0; method < form::kOptionCount; ++method) {
        MemoryFormState state;
        form::Form form(state, ",");
        form.Option1_Click(method);
        state.inputs = {"170", "72", "90"};
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kRuns; ++i) form.Command1_Click(form::kCalculate);
        const std::chrono::duration<double, std::nano> took =
            std::chrono::steady_clock::now() - start;
        std::printf("%7.0f ns a report: %s\n", took.count() / kRuns,
                    std::string(form::kMethodCaptions[method]).c_str());
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "sweep" && argc == 3) return DumpSweep(argv[2]);
    if (mode == "cases" && argc == 2) return DumpCases();
    if (mode == "contrast" && argc == 2) return DumpContrasts();
    if (mode == "time" && argc == 2) return Time();
    std::fprintf(stderr, "usage: %s sweep FILE | cases | contrast | time\n", argv[0]);
    return 2;
}

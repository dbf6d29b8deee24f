// SPDX-License-Identifier: GPL-3.0-or-later
// The bands and boundaries of the strip under each report, which report_dump
// does not write, for the page's tests to compare the scale's bands, their
// colours, the boundaries and their labels with:
//   strip_bands   reads the lines `report_dump cases` reads, with the age
//                 and the sex, and prints for each a line of JSON:
//                 {"bands": [{from, to, colour: [r, g, b]}],
//                  "boundaries": [{at, label, minor}]}
// The same core through the same handlers as report_dump; the page's own
// binding is not part of it.
#include <iostream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "design/presentation.h"
#include "form/form.h"
#include "form/memory_form_state.h"

int main() {
    using Json = nlohmann::ordered_json;
    for (std::string line; std::getline(std::cin, line);) {
        std::vector<std::string> fields{""};
        for (char c : line) {
            if (c == '\t')
                fields.emplace_back();
            else
                fields.back() += c;
        }
        if (fields.size() != 8 || fields[0].size() != 1 || fields[0][0] < '0' ||
            fields[0][0] > '3' || (fields[7] != "" && fields[7] != "0" && fields[7] != "1")) {
            std::cerr << "not METHOD\\tSEPARATOR\\tHEIGHT\\tWEIGHT\\tCHEST\\tYEARS\\tMONTHS\\tSEX: "
                      << line << "\n";
            return 2;
        }
        form::MemoryFormState state;
        form::Form form(state, fields[1]);
        form.Option1_Click(fields[0][0] - '0');
        state.inputs = {fields[2], fields[3], fields[4]};
        state.ages = {fields[5], fields[6]};
        if (!fields[7].empty()) state.sexes[std::size_t(fields[7][0] - '0')] = true;
        const design::Strip strip = *design::Command(form, state, form::kCalculate).strip;
        Json bands = Json::array(), boundaries = Json::array();
        for (const design::Band& b : strip.bands)
            bands.push_back({{"from", b.from},
                             {"to", b.to},
                             {"colour", {b.colour.red, b.colour.green, b.colour.blue}}});
        for (const design::Boundary& b : strip.boundaries)
            boundaries.push_back({{"at", b.at}, {"label", b.label}, {"minor", b.minor}});
        std::cout << Json{{"bands", bands}, {"boundaries", boundaries}}.dump() << '\n';
    }
    return 0;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// The site's templates: files a web developer reads as what they are, with
// @NAME@ where the generator puts a value of the design.
#pragma once

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace web {

using Values = std::map<std::string, std::string, std::less<>>;

// Text for HTML, in an attribute or between tags alike. A CR goes: the
// parser makes CR LF a line feed anyway.
inline std::string Html(std::string_view text) {
    static constexpr std::pair<char, std::string_view> kEntities[] = {
        {'&', "&amp;"}, {'<', "&lt;"}, {'>', "&gt;"}, {'"', "&quot;"}, {'\r', ""}};
    std::string out;
    for (const char& c : text) {
        const auto* e = std::find_if(std::begin(kEntities), std::end(kEntities),
                                     [c](const auto& entity) { return entity.first == c; });
        out += e == std::end(kEntities) ? std::string_view(&c, 1) : e->second;
    }
    return out;
}

// The template with every @NAME@ replaced by its value. A name without a
// value is a fault of the generator, not something to leave in the page.
inline std::string Fill(std::string_view text, const Values& values) {
    std::string out;
    for (std::size_t at = 0;;) {
        const std::size_t open = text.find('@', at);
        out += text.substr(at, open - at);
        if (open == std::string_view::npos) return out;
        const std::size_t close = text.find('@', open + 1);
        const auto value = values.find(text.substr(open + 1, close - open - 1));
        if (close == std::string_view::npos || value == values.end())
            throw std::runtime_error("no value for " + std::string(text.substr(open, 40)));
        out += value->second;
        at = close + 1;
    }
}

// A template file as the developer reads it, less the lines that are only a
// comment (from a line starting with `open` to the one holding `close`);
// with no `open`, whole.
inline std::string Template(const std::string& path, std::string_view open = {},
                            std::string_view close = {}) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    if (open.empty()) return std::string(std::istreambuf_iterator<char>(in), {});
    std::string out, line;
    bool inComment = false;
    while (std::getline(in, line)) {
        const std::size_t text = std::min(line.find_first_not_of(' '), line.size());
        if (!inComment && line.compare(text, open.size(), open) != 0)
            out += line + '\n';
        else
            inComment = line.find(close) == std::string::npos;
    }
    return out;
}

}  // namespace web

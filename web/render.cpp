// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/render.h"

#include <kainjow/mustache.hpp>
#include <set>
#include <sstream>
#include <stdexcept>

namespace web {
namespace {

using Json = nlohmann::ordered_json;
namespace mustache = kainjow::mustache;

// Mustache's data from JSON: a number as C++ writes it (6, 0.25), null as
// false, so a section on it is left out.
mustache::data Data(const Json& j) {
    if (j.is_object()) {
        mustache::data d;
        for (const auto& [key, value] : j.items()) d.set(key, Data(value));
        return d;
    }
    if (j.is_array()) {
        mustache::data d{mustache::data::type::list};
        for (const Json& item : j) d << Data(item);
        return d;
    }
    if (j.is_string()) return {j.get<std::string>()};
    if (j.is_boolean() || j.is_null()) return {j.is_boolean() && j.get<bool>()};
    std::ostringstream number;
    number << (j.is_number_float() ? j.get<double>() : j.get<std::int64_t>());
    return {number.str()};
}

void Keys(const Json& j, std::set<std::string>& out) {
    if (j.is_object())
        for (const auto& [key, value] : j.items()) out.insert(key), Keys(value, out);
    if (j.is_array())
        for (const Json& item : j) Keys(item, out);
}

// A name the view does not hold anywhere is a fault of the template, and
// fails the build rather than render as nothing. One that another part of
// the view holds is false here: a section on it is left out.
class StrictContext : public mustache::context<std::string> {
public:
    StrictContext(const mustache::data* data, const Json& view) : context(data) {
        Keys(view, keys_);
    }
    const mustache::data* get(const std::string& name) const override {
        if (const mustache::data* found = context::get(name)) return found;
        if (!keys_.contains(name.substr(0, name.find('.'))))
            throw std::runtime_error("the view holds no " + name);
        return &absent_;
    }

private:
    std::set<std::string> keys_;
    const mustache::data absent_{false};
};

// The text less the lines that hold only a comment: Mustache 4.1 would leave
// an empty line for each.
std::string WithoutCommentLines(const std::string& text) {
    std::string kept;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t start = text.find_first_not_of(' ', at);
        const std::size_t close =
            text.compare(start, 3, "{{!") == 0 ? text.find("}}", start) : start;
        if (close != start && text.compare(close + 2, 1, "\n") == 0) {
            at = close + 3;
            continue;
        }
        const std::size_t end = std::min(text.find('\n', at), text.size() - 1) + 1;
        kept += text.substr(at, end - at);
        at = end;
    }
    return kept;
}

}  // namespace

std::string Render(const std::string& text, const Json& view, Escape escape) {
    mustache::mustache tmpl(WithoutCommentLines(text));
    if (escape == Escape::Json)
        tmpl.set_custom_escape([](const std::string& s) {
            const std::string quoted = Json(s).dump();
            return quoted.substr(1, quoted.size() - 2);
        });
    if (escape == Escape::None) tmpl.set_custom_escape([](const std::string& s) { return s; });
    const mustache::data data = Data(view);
    StrictContext context(&data, view);
    std::string out = tmpl.render(context);
    if (!tmpl.is_valid()) throw std::runtime_error(tmpl.error_message());
    return out;
}

}  // namespace web

// SPDX-License-Identifier: GPL-3.0-or-later
// Setting the process locale for a test, as the window's toolkit does from
// the environment, and making sure it took.
#pragma once

#include <locale.h>

#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>

namespace testing_support {

// Sets the process locale to a comma locale. Returns what went wrong, or an
// empty text: the locale is not generated, or the C library still writes
// 0.5 with a full stop (a run that fell back to "C" would prove nothing).
inline std::string SetCommaLocale(const std::string& name) {
    if (!std::setlocale(LC_ALL, name.c_str()))
        return "locale " + name + " is not available; generate it (locale-gen)";
    char half[16];
    std::snprintf(half, sizeof half, "%.1f", 0.5);
    if (std::strcmp(half, "0,5") != 0)
        return "locale " + name + " writes 0.5 as " + half + ", not 0,5";
    return "";
}

// The C library's own locale-free readers, for the tests' reference values.
inline locale_t CLocale() {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t(0));
    return c;
}

}  // namespace testing_support

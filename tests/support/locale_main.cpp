// SPDX-License-Identifier: GPL-3.0-or-later
// The tests' main. With --process-locale=NAME it first sets the process
// locale to the comma locale NAME, so that the same tests run where the C
// library writes and reads numbers with a comma, and stops with an error
// when that does not take.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <string_view>

#include "tests/support/process_locale.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    constexpr std::string_view kOption = "--process-locale=";
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg.substr(0, kOption.size()) != kOption) {
            std::fprintf(stderr, "unknown argument: %s\n", argv[i]);
            return 2;
        }
        const std::string name(arg.substr(kOption.size()));
        if (const std::string problem = testing_support::SetCommaLocale(name); !problem.empty()) {
            std::fprintf(stderr, "%s\n", problem.c_str());
            return 2;
        }
        std::printf("process locale: %s\n", name.c_str());
    }
    return RUN_ALL_TESTS();
}

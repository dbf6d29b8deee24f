// SPDX-License-Identifier: GPL-3.0-or-later
// The tests' main. With --process-locale=NAME it first sets the process
// locale, as the window's toolkit does from the environment, so that the
// same tests run where a user's C library writes and reads numbers with a
// comma. It stops with an error when NAME is not generated, or when the C
// library then still writes 0.5 with a full stop: such a run would prove
// nothing.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

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
        if (!std::setlocale(LC_ALL, name.c_str())) {
            std::fprintf(stderr, "locale %s is not available; generate it (locale-gen)\n",
                         name.c_str());
            return 2;
        }
        char half[16];
        std::snprintf(half, sizeof half, "%.1f", 0.5);
        if (std::strcmp(half, "0.5") == 0) {
            std::fprintf(stderr, "locale %s writes 0.5 with a full stop\n", name.c_str());
            return 2;
        }
        std::printf("process locale: %s (the C library writes 0.5 as %s)\n", name.c_str(), half);
    }
    return RUN_ALL_TESTS();
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Time per whole report, for each method, through the form's handlers.
#include <benchmark/benchmark.h>

#include "form/form.h"
#include "form/memory_form_state.h"

namespace {

void WholeReport(benchmark::State& run, int method) {
    form::MemoryFormState state;
    form::Form form(state, ",");
    form.Option1_Click(method);
    state.inputs = {"171", "72", "90"};
    for (auto _ : run) {
        form.Command1_Click(form::kCalculate);
        benchmark::DoNotOptimize(state.output.data());
    }
}

}  // namespace

BENCHMARK_CAPTURE(WholeReport, body_mass_index, 0);
BENCHMARK_CAPTURE(WholeReport, broca, 1);
BENCHMARK_CAPTURE(WholeReport, breitman, 2);
BENCHMARK_CAPTURE(WholeReport, borngard, 3);
BENCHMARK_MAIN();

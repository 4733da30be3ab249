// SPDX-License-Identifier: GPL-3.0-or-later
// What a translation adds to the start: finding and loading the program's message file and the
// toolkit's for the user's language (German), against finding that English needs none.
// bench_startup measures the whole start with LANGUAGE set either way.

#include "GuiBenchMain.h"
#include "app/Translations.h"

#include <QLocale>
#include <benchmark/benchmark.h>

namespace {

void BM_InstallTranslations(benchmark::State& state) {
    const QLocale locale(state.range(0) ? QStringLiteral("de_DE") : QStringLiteral("en_US"));
    for (auto _ : state)
        benchmark::DoNotOptimize(InstallTranslations(locale));
    InstallTranslations(QLocale(QStringLiteral("en_US")));
}
BENCHMARK(BM_InstallTranslations)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    return RunGuiBenchmarks(argc, argv);
}

#!/usr/bin/env bash
# Builds the benchmarks (Release) and runs the comparison of kvarsel-batch with its
# peers, then the window's start-up and automatic translation, then the dialog fit
# check on long texts and its reports with either set of faces. Arguments go to the
# comparison, e.g. ./bench.sh --sizes 0.5,1,2 --runs 3
set -euo pipefail
cd "$(dirname "$0")"
. scripts/common.sh

# The peers: the plain Python translator and msgmerge (gettext). The benchmark
# skips, and says so, a peer that is missing all the same.
ensure_packages "${BUILD_PACKAGES[@]}" "${BENCH_PACKAGES[@]}" "${PROGRAM_TEST_PACKAGES[@]}"
configure_and_build build/rel Release -DKVARSEL_BUILD_TESTS=ON
build/rel/bench/kvarsel_bench --compare "$@"
build/rel/bench/kvarsel_window_bench
build/rel/bench/kvarsel_fit_bench
build/rel/bench/kvarsel_fit_bench --faces tests/data/fit/office tests/data/fit/utility tests/data/dialogs/resources
build/rel/bench/kvarsel_program_bench

#!/usr/bin/env bash
# Runs every fuzz target under libFuzzer for a while.
#   ./fuzz.sh [SECONDS_PER_TARGET] [TARGET...]     (default 60 s, all targets)
# New inputs go to build/fuzz-corpus/<target>; crashes to build/fuzz-crashes/.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/common.sh

seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(splitline dictionary settings bilingual encoding dialogs menuresource dialogresource stringresource programfile delphiform)

ensure_packages "${BUILD_PACKAGES[@]}" clang libclang-rt-14-dev
CC=clang CXX=clang++ cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKVARSEL_BUILD_TESTS=ON -DKVARSEL_LIBFUZZER=ON \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined"
for t in "${targets[@]}"; do
  cmake --build build/fuzz -j2 --target "fuzz_$t"
done

mkdir -p build/fuzz-crashes
for t in "${targets[@]}"; do
  corpus=build/fuzz-corpus/$t
  mkdir -p "$corpus"
  echo "== fuzz_$t for ${seconds}s"
  build/fuzz/fuzz/fuzz_$t "$corpus" "fuzz/corpus/$t" -max_total_time="$seconds" \
    -artifact_prefix="build/fuzz-crashes/$t-" -print_final_stats=1 -max_len=4096
done

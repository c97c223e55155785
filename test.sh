#!/usr/bin/env bash
# Builds Кварсел with warnings and runs every test through CTest, then builds and
# runs the whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer
# (set KVARSEL_SKIP_SANITIZERS=1 to skip that second round while working).
set -euo pipefail
cd "$(dirname "$0")"
. scripts/common.sh

ensure_packages "${BUILD_PACKAGES[@]}" "${QT_TRANSLATION_PACKAGES[@]}" "${PROGRAM_TEST_PACKAGES[@]}" clang-format

# The code's form first: a file that does not match .clang-format fails the run
# (clang-format -i FILE mends it).
check_format
configure_and_build build/test Debug -DKVARSEL_BUILD_TESTS=ON -DKVARSEL_WERROR=ON
ctest --test-dir build/test --output-on-failure -j2

if [ "${KVARSEL_SKIP_SANITIZERS:-0}" != 1 ]; then
  configure_and_build build/sanitize Debug -DKVARSEL_BUILD_TESTS=ON -DKVARSEL_WERROR=ON \
    -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all"
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build/sanitize --output-on-failure -j2
fi

#!/usr/bin/env bash
# Builds Кварсел with warnings and runs every test through CTest.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/common.sh

ensure_packages "${BUILD_PACKAGES[@]}"
configure_and_build build/test Debug -DKVARSEL_BUILD_TESTS=ON -DKVARSEL_WERROR=ON
ctest --test-dir build/test --output-on-failure -j2

#!/usr/bin/env bash
# Builds Кварсел (Release) and starts it on a working copy of the demo directory.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/common.sh

ensure_packages "${BUILD_PACKAGES[@]}" "${QT_TRANSLATION_PACKAGES[@]}" fonts-dejavu-core adwaita-icon-theme
configure_and_build build/release Release -DKVARSEL_BUILD_TESTS=OFF

# The program works in its current directory; give it a copy so the samples in
# the repository stay pristine. Delete build/demo-work to start over.
work=build/demo-work
if [ ! -d "$work" ]; then
  cp -r demo "$work"
fi
cd "$work"
exec ../release/kvarsel

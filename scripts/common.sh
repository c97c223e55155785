# Shared by run.sh and test.sh: install what is missing, configure, build.
# Sourced, not run.

# ensure_packages PKG...: installs the Debian packages that are not installed yet.
# As root it runs apt-get itself; anyone else is told the one line to run.
ensure_packages() {
  local missing=()
  local pkg
  for pkg in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$pkg")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -eq 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
  else
    echo "Missing packages. Please run as root:" >&2
    echo "  apt-get install -y ${missing[*]}" >&2
    exit 1
  fi
}

# Packages every build needs.
# fonts-wine, fonts-liberation: the fonts with Windows metrics that the dialog fit check
# measures with (Wine's Tahoma and MS Sans Serif for the dialog faces, Liberation for the rest).
# binutils-mingw-w64-x86-64, cpp: the resource compiler (windres) that the tests compile
# translated scripts with, so a translation is known to leave a script that still builds.
# libhunspell-dev, pkg-config, hunspell-ru: spelling, built against Hunspell and checked
# with Debian's Russian dictionary.
# fp-compiler, fp-units-rtl: Free Pascal, whose own streaming code makes and reads the
# Delphi and Lazarus forms the tests translate.
BUILD_PACKAGES=(cmake make g++ pkg-config qt6-base-dev libgl-dev libhunspell-dev hunspell-ru fonts-liberation
  fonts-wine binutils-mingw-w64-x86-64 cpp fp-compiler fp-units-rtl)

# Programs in and out: the tests build Windows programs with mingw (64- and 32-bit), read
# the packed copies with Python's pefile and run a probe of the translation under Wine.
PROGRAM_TEST_PACKAGES=(gcc-mingw-w64-x86-64-win32 gcc-mingw-w64-i686-win32 binutils-mingw-w64-i686
  wine wine64 python3-pefile)

# Qt's own texts in Russian (qtbase_ru.qm), for the program and its window tests.
QT_TRANSLATION_PACKAGES=(qt6-translations-l10n)

# The peers bench.sh compares kvarsel-batch with.
BENCH_PACKAGES=(python3 gettext)

# configure_and_build DIR TYPE [cmake args...]
configure_and_build() {
  local dir=$1 type=$2
  shift 2
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE="$type" "$@"
  cmake --build "$dir" -j2
}

# check_format: every C++ file of the project in the form .clang-format gives.
check_format() {
  local unformatted=()
  local file
  while IFS= read -r -d '' file; do
    if ! clang-format --dry-run --Werror "$file" >/dev/null 2>&1; then
      unformatted+=("$file")
    fi
  done < <(find src tests bench fuzz docs \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z)
  if [ ${#unformatted[@]} -gt 0 ]; then
    echo "Not in the form .clang-format gives (clang-format -i FILE mends it):" >&2
    printf '  %s\n' "${unformatted[@]}" >&2
    exit 1
  fi
  echo "Format: every C++ file matches .clang-format."
}

#!/usr/bin/env bash
# Installs the Debian packages Velmox needs, only those that are missing: with everything in place it
# runs no apt-get at all (no root, no network). fonts-liberation2 is the Times New Roman metric twin
# that also has the Kazakh letters (Ә Ғ Қ Ң Ө Ұ Ү Һ).
#
#   scripts/install-deps.sh            # building, running, testing and fuzzing
#   scripts/install-deps.sh --program  # building and running the two programs only
set -euo pipefail

# The two programs: the compiler and CMake, Qt's Widgets and PrintSupport (Qt6Gui's CMake files
# want OpenGL's headers: libgl-dev), fontconfig (the program sets up its fonts), the fonts
# and Qt's own Russian translation of its dialogs.
program=(
    build-essential
    cmake
    ninja-build
    pkg-config
    qt6-base-dev
    qt6-base-dev-tools
    libgl-dev
    libfontconfig-dev
    fonts-liberation2
    fonts-dejavu-core
    fonts-dejavu-extra
    qt6-translations-l10n
)
# The tests and the benchmarks (GoogleTest, Google Benchmark); the tests read printed pages back
# (poppler-utils); the screenshots and bench/startup_ratio.sh use a private X server; the fuzz
# targets need clang and its libFuzzer, which Debian 12 ships for its default clang (14) in
# libclang-rt-14-dev.
checks=(
    libgtest-dev
    libgmock-dev
    libbenchmark-dev
    poppler-utils
    xvfb
    x11-utils
    imagemagick
    xauth
    clang
    libclang-rt-14-dev
    llvm
)
packages=("${program[@]}")
if [ "${1:-}" != "--program" ]; then packages+=("${checks[@]}"); fi

missing=()
installed="$(dpkg-query -W -f='${Package} ${db:Status-Status}\n' "${packages[@]}" 2>/dev/null || true)"
for p in "${packages[@]}"; do
    grep -qx "$p installed" <<<"$installed" || missing+=("$p")
done
[ "${#missing[@]}" -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends "${missing[@]}"

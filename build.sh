#!/usr/bin/env bash
# Installs what Plumark needs on Debian 12, 13 or unstable, builds it, then
# starts it or tests it.
#   ./build.sh run    install, build and start the program
#   ./build.sh test   install, build and run every test, build and check the
#                     Debian package, run the tests under the sanitizers and
#                     each fuzzer briefly
# PLUMARK_SKIP=sanitize and/or fuzz leaves out those two slow steps of "test"
# (CI runs them on different Debian releases, .ci/run).
set -euo pipefail
cd "$(dirname "$0")"

mode=${1:-}
case "$mode" in run | test) ;; *) echo "usage: $0 run|test" >&2; exit 2 ;; esac

# The program and its package (`cmake --build build --target package` needs
# dpkg-dev and file), and what the program uses on a desktop.
packages=(
    build-essential cmake ninja-build pkg-config dpkg-dev file
    qt6-base-dev qt6-svg-dev libqt6svg6 libgl-dev qt6-l10n-tools qt6-translations-l10n
    ffmpeg libimage-exiftool-perl fonts-liberation fonts-dejavu-core xdg-utils
    libavformat-dev libavcodec-dev libavfilter-dev libswresample-dev libavutil-dev
)
test_packages=(googletest libgtest-dev clang-format desktop-file-utils appstream lintian
    clang libclang-rt-dev parallel strace
    xvfb dbus at-spi2-core python3-pyatspi)

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
wanted=("${packages[@]}")
[ "$mode" = test ] && wanted+=("${test_packages[@]}")
"${sudo[@]}" apt-get update
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${wanted[@]}"

build=build
# "run" builds only the program; "test" also its tests and benchmarks.
everything=$([ "$mode" = test ] && echo ON || echo OFF)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPLUMARK_WERROR=ON \
    -DPLUMARK_TESTS="$everything" -DPLUMARK_BENCH="$everything"
cmake --build "$build"

if [ "$mode" = run ]; then
    exec "$build/plumark"
fi

git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror
QT_QPA_PLATFORM=offscreen ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
tools/check-package.sh "$build"

# The same suite under AddressSanitizer and UBSan, then a short run of each fuzzer.
[[ ${PLUMARK_SKIP:-} == *sanitize* ]] || tools/sanitize-tests.sh build-asan
[[ ${PLUMARK_SKIP:-} == *fuzz* ]] || tools/fuzz.sh "${FUZZ_SECONDS:-30}" build-fuzz

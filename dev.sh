#!/usr/bin/env bash
# The project's two entry points on a fresh Debian 12 machine (run as root or
# with sudo available):
#   ./dev.sh demo   builds, then runs the main job
#   ./dev.sh test   builds, then runs every test suite
set -euo pipefail
cd "$(dirname "$0")"
ROOT=$PWD
JOBS=${JOBS:-$(nproc)}

# shellcheck source=scripts/common.sh
source scripts/common.sh

LINUX_PACKAGES=(build-essential cmake libtinyxml2-dev libpugixml-dev rapidjson-dev libgtest-dev libgmock-dev
    zip unzip)

build_linux() {
    need_packages "${LINUX_PACKAGES[@]}"
    if declare -F build_linux_deps >/dev/null; then build_linux_deps; fi
    log "building for Linux"
    cmake --preset linux >/dev/null
    cmake --build --preset linux -j "$JOBS"
}

# A comma-decimal locale proves that no number depends on the process locale.
ensure_test_locale() {
    locale -a 2>/dev/null | grep -qi '^ru_RU\.utf-\?8$' && return 0
    need_packages locales
    as_root sed -i 's/^# *ru_RU.UTF-8 UTF-8/ru_RU.UTF-8 UTF-8/' /etc/locale.gen
    as_root locale-gen >/dev/null
}

test_linux() {
    ensure_test_locale
    log "Linux tests"
    ctest --preset linux -j "$JOBS"
}

# Windows steps live in their own file so the Linux path stays readable.
if [ -f scripts/windows.sh ]; then
    # shellcheck source=scripts/windows.sh
    source scripts/windows.sh
fi
# Sanitizer suite, fuzz runs and leak check.
if [ -f scripts/reliability.sh ]; then
    # shellcheck source=scripts/reliability.sh
    source scripts/reliability.sh
fi

# The Linux library the package ships: built and tested in a Debian 11 root.
if [ -f scripts/bullseye.sh ]; then
    # shellcheck source=scripts/bullseye.sh
    source scripts/bullseye.sh
fi

# shellcheck source=scripts/package.sh
source scripts/package.sh

demo() {
    build_linux
    "$ROOT/scripts/demo.sh" "$ROOT/build/linux"
}

run_tests() {
    build_linux
    test_linux
    if declare -F test_bullseye >/dev/null; then test_bullseye; fi
    if declare -F test_reliability >/dev/null; then test_reliability; fi
    if declare -F test_windows >/dev/null; then test_windows; fi
    package_and_check
}

case "${1:-}" in
    demo) demo ;;
    test) run_tests ;;
    *) echo "usage: $0 demo|test" >&2; exit 2 ;;
esac

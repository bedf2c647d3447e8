#!/usr/bin/env bash
# Line coverage of the product folders by the whole suite. Needs lcov (Debian: lcov).
# Usage: tests/coverage.sh [build folder]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-coverage}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="--coverage" >/dev/null
cmake --build "$build" >/dev/null
lcov --quiet --zerocounters --directory "$build"
QT_QPA_PLATFORM=offscreen ctest --test-dir "$build" -j2 --output-on-failure >/dev/null
lcov --quiet --capture --directory "$build" --output-file "$build/all.info" 2>/dev/null
folders=()
for f in core dialogs view paint generate files app; do folders+=("$PWD/$f/*"); done
lcov --quiet --extract "$build/all.info" "${folders[@]}" --output-file "$build/product.info"
lcov --summary "$build/product.info" 2>&1 | grep -E "lines|functions"

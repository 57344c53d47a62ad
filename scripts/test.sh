#!/usr/bin/env bash
# Sets up and runs every test: the native tests of the logic, then the Windows build with its
# Windows-side tests and end-to-end tests under Wine. Exits non-zero when any test fails.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

./scripts/setup.sh

echo "== native build and tests"
cmake --preset native >/dev/null
cmake --build --preset native
ctest --preset native

echo "== native tests under AddressSanitizer and UndefinedBehaviorSanitizer, short fuzz runs"
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize
ctest --preset sanitize --parallel 2

echo "== Windows build, Windows-side and end-to-end tests under Wine"
cmake --preset mingw >/dev/null
cmake --build --preset mingw
ctest --preset mingw --timeout 600

#!/usr/bin/env bash
# Sets up, builds and runs every test: the Linux build with its unit,
# integration and reliability tests (under a private Xvfb), the unit and
# integration tests again under ASan and UBSan, the fuzz targets, then the
# Windows build under Wine.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

scripts/setup.sh

cmake --preset linux -DSARVO_WERROR=ON -DSARVO_BUILD_TESTS=ON
cmake --build --preset linux -j"$(nproc)"
ctest --preset linux -j"$(nproc)" || { scripts/show-failures.sh build/linux; exit 1; }

# Under AddressSanitizer and UndefinedBehaviorSanitizer. The release
# archive's test is left out: it checks that the shipped programs need no
# library beyond the readme's packages, and these carry the sanitizers'.
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSARVO_BUILD_TESTS=ON -DSARVO_SANITIZE=ON
cmake --build build/asan -j"$(nproc)"
LSAN_OPTIONS=suppressions=$top/tests/sanitizer.supp:print_suppressions=0 \
    ctest --test-dir build/asan -L "unit|integration" -E "integration.package.archive" -j"$(nproc)" --output-on-failure ||
    { scripts/show-failures.sh build/asan; exit 1; }

# The parsers of outside data under libFuzzer, ASan and UBSan, 30 s each,
# after their kept regression inputs.
scripts/fuzz.sh 30

scripts/test-win32.sh build/win32 -DSARVO_WERROR=ON

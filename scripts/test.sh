#!/usr/bin/env bash
# Sets up, builds and runs every test: the Linux build with its unit and
# integration tests (under a private Xvfb), the fuzz targets, then the
# Windows build under Wine.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

scripts/setup.sh

cmake --preset linux -DSARVO_WERROR=ON -DSARVO_BUILD_TESTS=ON
cmake --build --preset linux -j"$(nproc)"
ctest --preset linux -j"$(nproc)"

# The parsers of outside data under libFuzzer, ASan and UBSan, 30 s each,
# after their kept regression inputs.
scripts/fuzz.sh 30

scripts/test-win32.sh build/win32 -DSARVO_WERROR=ON

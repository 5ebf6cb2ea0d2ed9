#!/bin/sh
# Installs what is missing, configures, builds and runs the whole test suite.
# VELMORA_SANITIZE=1 builds with AddressSanitizer and UndefinedBehaviorSanitizer into build-asan/;
# VELMORA_WERROR=1 makes every compiler warning an error (CI does).
set -e
cd "$(dirname "$0")/.."
tools/install-deps.sh
jobs=$(nproc)
if [ "${VELMORA_SANITIZE:-0}" = 1 ]; then
  dir=build-asan; extra="-DVELMORA_SANITIZE=ON -DVELMORA_BENCH=OFF"
else
  dir=build; extra=""
fi
werror=OFF
[ "${VELMORA_WERROR:-0}" = 1 ] && werror=ON
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_WERROR=$werror $extra
cmake --build "$dir" -j "$jobs"
cd "$dir"
# Tests that need a display get one from Xvfb; the rest run headless.
exec xvfb-run -a -s "-screen 0 1280x1024x24" ctest -j "$jobs" --output-on-failure --timeout 900

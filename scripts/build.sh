#!/usr/bin/env bash
# Configures and builds Zelkova into ./build (installing the Debian packages first when missing).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
generator=()
command -v ninja >/dev/null 2>&1 && generator=(-G Ninja)
if [ ! -f build/CMakeCache.txt ]; then
  cmake -S . -B build "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build build --parallel "$(nproc)"

#!/usr/bin/env bash
# Builds Zelkova and runs the whole test suite through CTest.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
# The server runs of the engine-neutral suites use a private throwaway cluster unless one is given.
if [ -z "${ZELKOVA_TEST_SERVER:-}" ]; then
  pgdir=$(mktemp -d /tmp/zelkova-pg.XXXXXX)
  cluster="$PWD/scripts/pg-cluster.sh"
  trap 'bash "$cluster" stop "$pgdir" || true; rm -rf "$pgdir"' EXIT
  ZELKOVA_TEST_SERVER=$(bash "$cluster" start "$pgdir")
  export ZELKOVA_TEST_SERVER
fi
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel "$(nproc)" "$@"

#!/usr/bin/env bash
# Installs what the project needs, builds it and runs the demo: a surface with a grid and a few
# shapes, written to demo.png (or shown in a window with: scripts/run.sh --window).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j 2 --target cad_demo
if [ "${1:-}" = "--window" ]; then
  exec ./build/tools/cad_demo
fi
./build/tools/cad_demo demo.png

#!/usr/bin/env bash
# README command 1: install what is missing, build, and convert the bundled
# samples into out/, printing the converter's messages.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/bootstrap.sh
# A build directory of its own: the test command builds another configuration.
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DKZO_BUILD_TESTS=OFF -DKZO_BUILD_BENCH=OFF
cmake --build build-release

mkdir -p out
shopt -s nullglob
samples=(samples/*.lws samples/*.3ds)
build-release/converter/app/kzomaker --animation --camera --light --shading precalc-gouraud \
    -o out "${samples[@]}"
echo "outputs in $(pwd)/out:"
ls -l out

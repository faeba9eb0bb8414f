#!/usr/bin/env bash
# README command 2: install what is missing, build, and run every test: once
# with gcc and warnings as errors, once with clang under ASan and UBSan, which
# also builds the fuzz targets and runs each over its seed corpus.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/bootstrap.sh
jobs=$(nproc)

echo "== gcc build, warnings as errors"
# Every switch is given, so that a build directory configured otherwise
# (command 1 builds without tests) still builds and runs everything here.
cmake -S . -B build -G Ninja -DKZO_WERROR=ON -DKZO_BUILD_TESTS=ON -DKZO_BUILD_BENCH=ON \
    -DKZO_BUILD_GUI=ON -DKZO_SANITIZE=OFF -DKZO_FUZZ=OFF
cmake --build build -j "$jobs"
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs")

if [[ "${KZO_SKIP_SANITIZE:-0}" == 1 ]]; then
    exit 0
fi

echo "== clang build with AddressSanitizer, UndefinedBehaviorSanitizer and the fuzz targets"
CC=clang CXX=clang++ cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DKZO_WERROR=ON -DKZO_SANITIZE=ON -DKZO_FUZZ=ON -DKZO_BUILD_BENCH=OFF \
    -DKZO_BUILD_TESTS=ON -DKZO_BUILD_GUI=ON
cmake --build build-asan -j "$jobs"
(cd build-asan && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 \
    UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j "$jobs")

shopt -s nullglob
for fuzzer in build-asan/fuzz/fuzz_*; do
    name=${fuzzer##*/fuzz_}
    corpus=fuzz/corpus/$name
    echo "== fuzzing $name for 20 s"
    scratch=$(mktemp -d)
    dirs=("$scratch")
    if [[ -d $corpus ]]; then dirs+=("$corpus"); fi
    "$fuzzer" -max_total_time=20 -max_len=65536 "${dirs[@]}" >/dev/null 2>"$scratch.log" ||
        { tail -40 "$scratch.log"; exit 1; }
    rm -rf "$scratch" "$scratch.log"
done
echo "all tests passed"

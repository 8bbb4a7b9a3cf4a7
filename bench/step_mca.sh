#!/usr/bin/env bash
# Estimated cycles per orbit step of the software path on processors this
# machine has not got. The kernel's hot loop (bench/step_pass.cpp: passes of
# a step of each of three orbits, on points of an image of the default
# series) is compiled by Debian's compilers for aarch64 (-mcpu=cortex-a76)
# and x86-64 (the baseline the release build targets); qemu runs it
# single-stepped to log the instructions the loop executes, in order;
# llvm-mca's model of each processor then times that stream. llvm-mca does
# not model branch prediction, so the conditional branches' outcomes also go
# through a plain predictor (bench/step_trace.py), and each of its
# mispredictions adds the processor's penalty, as published for it (in
# cycles: Cortex-A76 11, Apple M1 13, Zen 3 13, Sapphire Rapids 17).
# Estimates, not measurements: the caches are not modelled, and the Apple M1
# figure is for code scheduled for the Cortex-A76 (GCC 12 has no
# -mcpu=apple-m1). qemu only gives the instruction stream, never a time.
#
#   bash bench/step_mca.sh [PASSES]     # default 1000 passes (3000 steps)
#
# Needs g++-aarch64-linux-gnu, qemu-user and llvm-16 (tools/install-deps.sh
# --with-test-tools installs them).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
passes="${1:-1000}"
mca=/usr/lib/llvm-16/bin/llvm-mca
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

penalty() {
  case "$1" in
    cortex-a76) echo 11 ;;
    apple-m1 | znver3) echo 13 ;;
    sapphirerapids) echo 17 ;;
  esac
}

# compiler, objdump, qemu, llvm-mca triple, compiler flags, then the
# processors to model.
estimate() {
  local compiler="$1" objdump="$2" qemu="$3" triple="$4" flags="$5"
  shift 5
  "$compiler" -std=c++20 -O3 $flags -static -I"$root" "$root/bench/step_pass.cpp" \
    -o "$work/step_pass"
  "$qemu" -singlestep -d exec,nochain -D "$work/log" "$work/step_pass" "$passes" >/dev/null
  "$objdump" -d --no-show-raw-insn "$work/step_pass" >"$work/listing"
  local where
  where=$(nm -S "$work/step_pass" | awk '$4 ~ /^_Z3run/ && $3 == "T" { print $1, $2 }')
  python3 "$root/bench/step_trace.py" "$work/log" "$work/listing" $where \
    >"$work/trace.s" 2>"$work/branches"
  local count missed
  count=$(($(wc -l <"$work/trace.s") - 1))
  missed=$(awk '/^mispredicted/ { print $2 }' "$work/branches")
  for cpu in "$@"; do
    "$mca" -mtriple="$triple" -mcpu="$cpu" -iterations=1 "$work/trace.s" 2>/dev/null \
      | awk -v cpu="$cpu" -v steps=$((passes * 3)) -v n="$count" -v flags="$flags" \
          -v missed="$missed" -v penalty="$(penalty "$cpu")" '
          /^Total Cycles:/ {
            printf "%-16s %5.1f instructions, %4.2f mispredictions, %5.1f cycles (%5.1f without mispredictions) per step (%s)\n",
                   cpu, n / steps, missed / steps, ($3 + missed * penalty) / steps, $3 / steps, flags }'
  done
}

echo "estimates for the software path's hot loop, $((passes * 3)) orbit steps:"
estimate aarch64-linux-gnu-g++ aarch64-linux-gnu-objdump qemu-aarch64 \
  aarch64-linux-gnu "-mcpu=cortex-a76" cortex-a76 apple-m1
estimate g++ objdump qemu-x86_64 x86_64-linux-gnu "-march=x86-64" znver3 sapphirerapids

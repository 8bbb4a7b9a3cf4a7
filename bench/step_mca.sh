#!/usr/bin/env bash
# Estimated cycles per orbit step of the software path on processors this
# machine has not got. The kernel's hot loop (bench/step_pass.cpp: passes of
# a step of each of three orbits, on points of the default view) is compiled
# by Debian's compilers for aarch64 (-mcpu=cortex-a76) and x86-64 (the
# baseline the release build targets); qemu runs it single-stepped to log
# the instructions the loop executes, in order; llvm-mca's model of each
# processor then times that stream. Estimates, not measurements: llvm-mca
# models neither branches (their prediction) nor the caches, and the
# Apple M1 figure is for code scheduled for the Cortex-A76 (GCC 12 has no
# -mcpu=apple-m1). qemu only gives the instruction stream, never a time.
#
#   bash bench/step_mca.sh [PASSES]     # default 200 passes (600 steps)
#
# Needs g++-aarch64-linux-gnu, qemu-user and llvm-16 (tools/install-deps.sh
# --with-test-tools installs them).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
passes="${1:-200}"
mca=/usr/lib/llvm-16/bin/llvm-mca
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

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
  python3 "$root/bench/step_trace.py" "$work/log" "$work/listing" $where >"$work/trace.s"
  local count
  count=$(($(wc -l <"$work/trace.s") - 1))
  for cpu in "$@"; do
    "$mca" -mtriple="$triple" -mcpu="$cpu" -iterations=1 "$work/trace.s" 2>/dev/null \
      | awk -v cpu="$cpu" -v steps=$((passes * 3)) -v n="$count" -v flags="$flags" '
          /^Total Cycles:/ { printf "%-16s %6.1f cycles per step, %5.1f instructions per step (%s)\n",
                                    cpu, $3 / steps, n / steps, flags }'
  done
}

echo "llvm-mca estimates for the software path's hot loop, $((passes * 3)) orbit steps:"
estimate aarch64-linux-gnu-g++ aarch64-linux-gnu-objdump qemu-aarch64 \
  aarch64-linux-gnu "-mcpu=cortex-a76" cortex-a76 apple-m1
estimate g++ objdump qemu-x86_64 x86_64-linux-gnu "-march=x86-64" znver3 sapphirerapids

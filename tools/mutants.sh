#!/usr/bin/env bash
# Mutants: small faults in the program, one at a time, each of which the
# quick tests must catch. The tree (with uncommitted changes) is copied to a
# directory of its own and built there once; each mutant then replaces one
# piece of text in one file, which must occur exactly once (else the script
# stops: the mutant no longer fits the code), rebuilds the test programs it
# concerns, runs their tests and puts the file back.
#
#   bash tools/mutants.sh            # every mutant
#   bash tools/mutants.sh NAME...    # only these
#   bash tools/mutants.sh --list     # their names and files
#
# Prints "killed" or "SURVIVED" per mutant and a summary line; exits non-zero
# when one survives or does not build. MANDEL_MUTANT_DIR (default
# /tmp/mandel-mutants) holds the copy and its build; ccache is used when
# installed.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
work="${MANDEL_MUTANT_DIR:-${TMPDIR:-/tmp}/mandel-mutants}"
jobs="${MANDEL_JOBS:-2}"

names=() files=() tests=() froms=() tos=()
# mutant NAME FILE TESTS FROM TO: TESTS is "program[:gtest filter]", several
# separated by spaces.
mutant() { names+=("$1"); files+=("$2"); tests+=("$3"); froms+=("$4"); tos+=("$5"); }

mutant numtext-half-up numtext/numtext.cpp 'core_tests:FormatReal*' \
  "if (digitOfWeight(-static_cast<int>(decimals) - 1) >= '5') {" \
  "if (digitOfWeight(-static_cast<int>(decimals) - 1) > '5') {"
mutant numtext-sign numtext/numtext.cpp 'core_tests:ParseReal*:Numtext*' \
  "negative = text[i] == '-';" \
  "negative = text[i] == '+';"
mutant clamp-sign render/geometry.cpp 'core_tests:FactorClamp*:Geometry*' \
  "if (ext::abs(Extended(factor)) < kTenth)" \
  "if (Extended(factor) < kTenth)"
mutant limit-top render/geometry.cpp 'core_tests:FactorClamp*:Geometry*' \
  "limit = 5000;" \
  "limit = 4999;"
mutant geometry-left render/geometry.cpp 'core_tests:Geometry*' \
  "Extended(re) - Extended(w) * Extended(g.dx) / Extended(2.0)" \
  "Extended(re) - Extended(w - 1) * Extended(g.dx) / Extended(2.0)"
mutant kernel-escape render/x87kernel.cpp 'core_tests:RowEngine*' \
  '"jae " ESC "\n\t"' \
  '"ja " ESC "\n\t"'
mutant cardioid-margin render/interior.h 'core_tests:RowEngine*' \
  "margin - Extended(1e-15);" \
  "margin + Extended(1e-15);"
mutant recentre-half render/recentre.cpp 'core_tests:RecentrePoint*' \
  "Extended(target.re) - (Extended(w) * g.dx) / 2" \
  "Extended(target.re) - (Extended(w - 1) * g.dx) / 2"
mutant overview-grab overview/overviewmap.cpp 'core_tests:OverviewFrame*' \
  "return d > -5 && d < 5;" \
  "return d > -5 && d <= 5;"
mutant palette-missing platform/paletteresource.cpp 'resource_tests:PaletteLoad*' \
  "activePalette.fill(1);

    if (!isPaletteName(name))" \
  "activePalette.fill(0);

    if (!isPaletteName(name))"
mutant cycle-wrap colour/cyclephase.cpp 'core_tests:NextCyclePhase*:CycledEntry*' \
  "return next < 0 ? 255 : next;" \
  "return next < 0 ? 1 : next;"
mutant abort-ignored app/run.cpp 'widget_tests:RunTest.*' \
  "processEvents(QEventLoop::AllEvents);
            if (idle)
                break;" \
  "processEvents(QEventLoop::AllEvents);
            if (idle && false)
                break;"
mutant drag-target app/overviewhandlers.cpp 'widget_tests:OverviewTest.*' \
  "if (w.dragIndex == 1)" \
  "if (w.dragIndex == 0)"
mutant layout-in-run app/windowstate.cpp 'widget_tests:StressTest.*' \
  "if (activated_ && runDepth_ == 0 && (layoutDue_ || MaPanel->size() != laidOut_))" \
  "if (activated_ && (layoutDue_ || MaPanel->size() != laidOut_))"
mutant layout-lost app/windowstate.cpp 'widget_tests:RunTest/*' \
  "layoutDue_ = true;" \
  "layoutDue_ = false;"
mutant capture-any-button platform/primarycapture.cpp 'widget_tests:OverviewTest.*' \
  "if (receiver == addressed)" \
  "if (receiver || !receiver)"
mutant paste-cr platform/singleline.cpp 'widget_tests:Paste/*' \
  "text[i] == u'\\n' || text[i] == u'\\r'" \
  "text[i] == u'\\n'"
mutant cycle-inclusion render/cycletrap.cpp 'core_tests:CycleTrap*' \
  "if (inside && drift + r < r0)" \
  "if (inside)"
mutant round-carry extended/softcore.h 'core_tests:SoftOrbit*:SoftExtended*' \
  "return {kIntBit, u.sign | static_cast<std::uint32_t>(u.e + 1)};" \
  "return {kIntBit, u.sign | static_cast<std::uint32_t>(u.e)};"
mutant store-rows render/iterationstore.cpp 'core_tests:IterationStore*' \
  "                        keepRows," \
  "                        std::max(keepRows - 1, 0),"
mutant abort-unheard app/run.cpp 'widget_tests:RunNewsTest.*' \
  "            if (!idle)
                finished = n;" \
  "            finished = n;"

if [ "${1:-}" = "--list" ]; then
  for i in "${!names[@]}"; do printf '%-18s %s\n' "${names[$i]}" "${files[$i]}"; done
  exit 0
fi
chosen=()
if [ $# -eq 0 ]; then
  chosen=("${!names[@]}")
else
  for want in "$@"; do
    found=""
    for i in "${!names[@]}"; do [ "${names[$i]}" = "$want" ] && found="$i"; done
    [ -n "$found" ] || { echo "no mutant named $want (see --list)" >&2; exit 2; }
    chosen+=("$found")
  done
fi

# The copy: tracked and new files of the working tree, nothing ignored. Only
# files whose bytes differ are written, with the time of writing: the build
# of an earlier run may hold objects of a mutated file, newer than the
# file's own time in the working tree, which a plain copy would bring back
# and make would take for up to date.
tree="$work/tree"
build="$tree/build"
stage="$work/stage"
rm -rf "$stage"
mkdir -p "$tree" "$stage"
(cd "$root" && git ls-files -z --cached --others --exclude-standard |
   xargs -0 tar -cf - --ignore-failed-read 2>/dev/null) | tar -xf - -C "$stage" || exit 1
(cd "$tree" && find . -path ./build -prune -o -type f -print) | while IFS= read -r f; do
  [ -f "$stage/$f" ] || rm -f "$tree/$f"
done
(cd "$stage" && find . -type f -print) | while IFS= read -r f; do
  if ! cmp -s "$stage/$f" "$tree/$f"; then
    mkdir -p "$(dirname "$tree/$f")"
    cp "$stage/$f" "$tree/$f"
  fi
done
rm -rf "$stage"

export QT_QPA_PLATFORM=offscreen
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="$tree" CCACHE_NOHASHDIR=1
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$tree" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMANDEL_BUILD_TESTS=ON \
  "${launcher[@]}" >/dev/null || exit 1

# build_and_run TESTS: builds the programs and runs the filtered tests; the
# exit status is 2 when a program does not build, 1 when a test fails.
build_and_run() {
  local entry program filter
  for entry in $1; do
    program="${entry%%:*}"
    cmake --build "$build" -j"$jobs" --target "$program" >"$work/build.log" 2>&1 || return 2
  done
  for entry in $1; do
    program="${entry%%:*}"
    filter="*"
    [ "$entry" != "$program" ] && filter="${entry#*:}"
    timeout 300 "$build/tests/$program" --gtest_filter="$filter" --gtest_brief=1 \
      >"$work/test.log" 2>&1 || return 1
  done
  return 0
}

# The unchanged tree must build and pass, or no mutant says anything.
all_tests=""
for i in "${chosen[@]}"; do all_tests="$all_tests ${tests[$i]}"; done
build_and_run "$all_tests"
case $? in
  0) ;;
  2) echo "the unchanged tree does not build (see $work/build.log)"; exit 1 ;;
  *) echo "the unchanged tree fails its tests (see $work/test.log)"; exit 1 ;;
esac

killed=0
survived=0
broken=0
for i in "${chosen[@]}"; do
  file="$tree/${files[$i]}"
  from="${froms[$i]}"
  to="${tos[$i]}"
  text="$(cat "$file"; printf x)"
  text="${text%x}"
  rest="${text//"$from"/}"
  count=$(( (${#text} - ${#rest}) / ${#from} ))
  if [ "$count" -ne 1 ]; then
    echo "mutant ${names[$i]}: its text occurs $count times in ${files[$i]}, not once; update tools/mutants.sh" >&2
    exit 3
  fi
  cp -p "$file" "$work/original"
  printf '%s' "${text/"$from"/"$to"}" >"$file"
  start=$(date +%s)
  build_and_run "${tests[$i]}"
  rc=$?
  cp "$work/original" "$file"
  touch "$file"
  seconds=$(( $(date +%s) - start ))
  case $rc in
    0) survived=$((survived + 1)); verdict="SURVIVED" ;;
    1) killed=$((killed + 1)); verdict="killed" ;;
    *) broken=$((broken + 1)); verdict="DOES NOT BUILD (see $work/build.log)" ;;
  esac
  printf '%-18s %-32s %s (%d s)\n' "${names[$i]}" "${files[$i]}" "$verdict" "$seconds"
done
echo "Mutants: $killed killed, $survived survived, $broken not built"
[ "$survived" -eq 0 ] && [ "$broken" -eq 0 ]

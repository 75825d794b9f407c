#!/usr/bin/env bash
# The mutation check: puts each one-line mistake of mutants.txt on its own into
# a copy of the tree (build-mutation/, built incrementally), runs the tests whose
# programs it reached and says which test and row caught it, or that it survived.
#   mutate.sh [ID...]   the whole list, or these mutants
#   mutate.sh --ci N    N mutants not marked survives or equivalent, chosen by the commit
# Fails when an unmarked mutant survives or an entry is broken; text no longer
# in its file is only reported.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
tree=${MUTATION_DIR:-$root/build-mutation} && build=$tree/build logs=$tree/logs
renice -n 19 -p $$ >/dev/null
export QT_QPA_PLATFORM=offscreen CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root}
if command -v ccache >/dev/null; then export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}; fi

declare -A M=() # "id/key" -> value
ids=()
while IFS= read -r line || [[ -n $line ]]; do
    [[ -z ${line// /} || $line == '#'* ]] && continue
    key=${line%%:*} value=${line#*:} value=${value# }
    case $key in
    id) id=$value ids+=("$id") ;;
    file | from | to | sees | equivalent | survives) M[$id/$key]=$value ;;
    *) echo "mutants.txt: not an entry line: $line" >&2 && exit 2 ;;
    esac
done <"$root/tests/mutation/mutants.txt"
for id in "${ids[@]}"; do for key in file from to sees; do
    [[ -v M[$id/$key] ]] || { echo "mutants.txt: $id has no $key" >&2 && exit 2; }
done; done
count() { FROM=${M[$1/from]} perl -0777 -ne 'my $n = () = /\Q$ENV{FROM}\E/g; print $n' "$tree/${M[$1/file]}" 2>/dev/null || echo 0; }

# The copy follows the working tree; unchanged files keep their times, so only
# what changed is built again.
mkdir -p "$logs" && exec 9>"$tree/.lock"
flock -n 9 || { echo "another run uses $tree" >&2 && exit 2; }
(cd "$root" && git ls-files -co --exclude-standard) | while IFS= read -r f; do
    if [[ -f $root/$f ]] && ! cmp -s "$root/$f" "$tree/$f"; then mkdir -p "$(dirname "$tree/$f")" && cp "$root/$f" "$tree/$f"; fi
done
[[ -f $build/CTestTestfile.cmake ]] || cmake -S "$tree" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >"$logs/configure.log"
mapfile -t tests < <(ctest --test-dir "$build" -N | sed -n 's/^ *Test *#[0-9]*: //p')
targets=(zplsink $(printf '%s\n' "${tests[@]}" | grep '^tst_'))
reader() { [[ $1 == print/IniProfile.cpp || $1 == print/Platform.cpp ]]; } # what the Wine parity tests build
exe() { case $1 in profile_parity*) echo "$build/tests/profile_parity.exe" ;; *) echo "$build/tests/$1" ;; esac; }

selected=("$@")
if [[ ${1-} == --ci ]]; then
    hash=$(git -C "$root" rev-parse HEAD)
    mapfile -t selected < <(for id in "${ids[@]}"; do
        [[ ! -v M[$id/survives] && ! -v M[$id/equivalent] && $(count "$id") == 1 ]] && echo "$id"
    done | shuf -n "${2:-3}" --random-source=<(yes "$hash"))
    echo "mutants for commit ${hash::7}: ${selected[*]}"
elif (($# == 0)); then
    selected=("${ids[@]}")
fi
for id in "${selected[@]}"; do [[ -v M[$id/file] ]] || { echo "no mutant $id" >&2 && exit 2; }; done

build_targets() { cmake --build "$build" -j2 --target "${targets[@]}" "$@" >"$log" 2>&1; }
# run TEST...: each in turn, cheapest first, up to the first that fails: its
# first FAIL! line's function and row, else how ctest says it ended (a crash).
run() {
    local t costs=$build/Testing/Temporary/CTestCostData.txt
    for t in $(for t in "$@"; do
        echo "$(awk -v t="$t" '/^---/ { exit } $1 == t { c = $3 } END { print c == "" ? 1e9 : c }' "$costs" 2>/dev/null) $t"
    done | sort -g | cut -d' ' -f2); do
        ctest --test-dir "$build" -R "^$t\$" --output-on-failure >>"$log" 2>&1 && continue
        awk -v t="$t" '/^FAIL!  : / && !row { s = substr($0, 10); d = 0
            for (i = 1; i <= length(s); i++) { c = substr(s, i, 1); if (c == "(") d++; if (c == ")" && --d == 0) break }
            row = substr(s, 1, i) } summary && / - / { sub(/.* - [^ ]+ /, ""); how = $0 }
            /tests FAILED:/ { summary = 1 } END { print t " " (row ? row : how) }' "$log"
        return 1
    done
}

log=$logs/baseline.log
echo "building the copy ($(date +%T))"
parity=$(for id in "${selected[@]}"; do if reader "${M[$id/file]}"; then echo profile_parity; fi; done | sort -u)
build_targets $parity || { tail -n 30 "$log" && echo "the copy does not build" >&2 && exit 2; }
if [[ ${1-} != --ci ]]; then # the tests must pass on the copy unchanged
    base=("${tests[@]}")
    [[ -n $parity ]] || mapfile -t base < <(printf '%s\n' "${tests[@]}" | grep -v '^profile_parity')
    failed=$(run "${base[@]}") || { echo "the unchanged copy fails: $failed (see $log)" >&2 && exit 2; }
fi

restore() { if [[ -n ${current-} ]]; then cp "$tree/.original" "$tree/$current" && current=; fi; }
trap restore EXIT
caught=0 survived=0 marked=0 gone=0 equivalent=0 broken=0
for id in "${selected[@]}"; do
    f=${M[$id/file]} log=$logs/$id.log n=$(count "$id") start=$SECONDS
    if ((n == 0)); then result="text gone" gone=$((gone + 1))
    elif ((n > 1)); then result="BROKEN: the text occurs $n times" broken=$((broken + 1))
    elif [[ -v M[$id/equivalent] ]]; then result="equivalent: ${M[$id/equivalent]}" equivalent=$((equivalent + 1))
    else
        cp "$tree/$f" "$tree/.original" && current=$f
        FROM=${M[$id/from]} TO=${M[$id/to]} perl -0777 -pi -e 's/\Q$ENV{FROM}\E/$ENV{TO}/' "$tree/$f"
        touch "$logs/stamp"
        if build_targets $(reader "$f" && echo profile_parity); then
            restore && reached=()
            for t in "${tests[@]}"; do
                [[ $t == profile_parity* ]] && ! reader "$f" && continue
                [[ $(exe "$t") -nt $logs/stamp || ($t =~ ^tst_(zplsink|http)$ && $build/tools/zplsink/zplsink -nt $logs/stamp) ]] &&
                    reached+=("$t")
            done
            if failed=$(run "${reached[@]}"); then
                survived=$((survived + 1)) result="SURVIVED (ran ${reached[*]:-no test})"
                [[ -v M[$id/survives] ]] && marked=$((marked + 1)) result="survived, as marked"
            else
                caught=$((caught + 1)) result="caught by $failed"
                [[ -v M[$id/survives] ]] && result+=" (marked survives: clear the mark)"
            fi
        else
            restore && result="BROKEN: does not compile (see $log)" broken=$((broken + 1))
        fi
    fi
    printf '%-28s %s (%ds)\n' "$id" "$result" $((SECONDS - start))
done
tried=$((caught + survived))
echo "${#selected[@]} mutants: $caught caught, $survived survived ($marked of them marked), $gone text gone," \
    "$equivalent equivalent, $broken broken; caught $((tried ? 100 * caught / tried : 100))% of those run"
((survived == marked && broken == 0))

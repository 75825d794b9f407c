#!/usr/bin/env bash
# The mutation check: puts each one-line mistake on its own into a copy of the
# tree (build-mutation/, built incrementally), runs the tests whose programs it
# reached and says which test and row caught it, or that it survived. Mistakes
# are those of mutants.txt and those generate.pl writes (ids FILE@HASH:OP:N).
#   mutate.sh [ID...]              the whole list, or these mutants
#   mutate.sh --sample N --seed S  N generated ones at random: caught share per folder
#   mutate.sh --ci N               N unmarked ones of the list and N of caught.txt, by the commit
# Fails when an unmarked mutant survives or an entry is broken; text gone is
# only reported, a generated mutant that does not compile is counted apart.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
tree=${MUTATION_DIR:-$root/build-mutation} && build=$tree/build logs=$tree/logs
renice -n 19 -p $$ >/dev/null
# Copies share ccache's entries: paths relative to the root, build folders not hashed.
export QT_QPA_PLATFORM=offscreen CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root} CCACHE_NOHASHDIR=true
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
generated() { [[ $1 == *@* ]]; }
# count ID: how often its text is in its file (a generated one: 1 while its line is there).
count() {
    if generated "$1"; then [[ -v G[$1/file] ]] && echo 1 || echo 0; return; fi
    FROM=${M[$1/from]} perl -0777 -ne 'my $n = () = /\Q$ENV{FROM}\E/g; print $n' "$tree/${M[$1/file]}" 2>/dev/null || echo 0
}

# The copy follows the working tree; unchanged files keep their times, so only
# what changed is built again.
mkdir -p "$logs" && exec 9>"$tree/.lock"
flock -n 9 || { echo "another run uses $tree" >&2 && exit 2; }
(cd "$root" && git ls-files -co --exclude-standard) | while IFS= read -r f; do
    if [[ -f $root/$f ]] && ! cmp -s "$root/$f" "$tree/$f"; then mkdir -p "$(dirname "$tree/$f")" && cp "$root/$f" "$tree/$f"; fi
done
# ... and loses what the working tree lost: a deleted source would still be
# read by the generator, and its mutants, never built, would survive.
(cd "$tree" && find bench print render scripts tests tools ui -type f 2>/dev/null) | while IFS= read -r f; do
    [[ -e $root/$f ]] || rm -f "$tree/$f"
done
# Optimised as the real build, without debug information: faster to compile and link.
[[ -f $build/CTestTestfile.cmake ]] || cmake -S "$tree" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" >"$logs/configure.log"
# The generated mutants of the copy: id -> folder, file, line and its new text.
declare -A G=()
gen=("$root/tests/mutation/generate.pl")
while IFS=$'\t' read -r id folder file line text; do
    G[$id/folder]=$folder G[$id/file]=$file G[$id/line]=$line G[$id/text]=$text
done < <(perl "${gen[@]}" "$tree")
listed() { grep -v '^\s*#' "$root/tests/mutation/$1" | awk 'NF { print $1 }'; }
mapfile -t tests < <(ctest --test-dir "$build" -N | sed -n 's/^ *Test *#[0-9]*: //p')
targets=(zplsink $(printf '%s\n' "${tests[@]}" | grep '^tst_'))
reader() { [[ $1 == print/IniProfile.cpp || $1 == print/PlatformWindows.cpp ]]; } # what the Wine parity tests build
exe() { case $1 in profile_parity*) echo "$build/tests/profile_parity.exe" ;; *) echo "$build/tests/$1" ;; esac; }

# summary RESULTS: the caught share per folder of a sample's results.
summary() {
    awk -F'\t' '{ n[$2 "/" $3]++; n["all/" $3]++ }
        END { split("print render render/symbols tools/zplsink all", f, " ")
            for (i = 1; i <= 5; i++) { c = n[f[i] "/caught"] + 0; t = c + n[f[i] "/survived"]
                printf "  %-15s %d of %d caught (%d%%)\n", f[i], c, t, t ? 100 * c / t : 100 }
            printf "  %d did not compile, %d text gone or equivalent\n", n["all/unbuilt"], n["all/other"] }' "$1"
    echo "  results: $1"
}
selected=("$@") mode=list
if [[ ${1-} == --ci ]]; then
    hash=$(git -C "$root" rev-parse HEAD) mode=ci
    mapfile -t selected < <(for id in "${ids[@]}"; do
        [[ ! -v M[$id/survives] && ! -v M[$id/equivalent] && $(count "$id") == 1 ]] && echo "$id"
    done | shuf -n "${2:-3}" --random-source=<(yes "$hash"))
    # Generated ones a sample showed caught: a survivor is a row lost or blunted.
    mapfile -t -O ${#selected[@]} selected < <(listed caught.txt | while read -r id; do
        [[ -v G[$id/file] ]] && echo "$id"; done | shuf -n "${2:-3}" --random-source=<(yes "$hash"))
    echo "mutants for commit ${hash::7}: ${selected[*]}"
elif [[ ${1-} == --sample ]]; then
    [[ $# -ge 4 && $3 == --seed ]] || { echo "usage: mutate.sh --sample N --seed S" >&2 && exit 2; }
    mode=sample seed=$4 part=${6:-1/1} results=$tree/sample-$4.tsv
    : >"$results"
    mapfile -t selected < <(perl "${gen[@]}" --sample "$2" --seed "$4" \
        --exclude "$root/tests/mutation/equivalent.txt" "$tree" | cut -f1 |
        awk -v k="${part%/*}" -v j="${part#*/}" '(NR - 1) % j == k - 1')
    echo "sample of $2 generated mutants, seed $seed: ${#selected[@]} here (part $part)"
    # Tests mostly wait: MUTATION_WORKERS copies of the tree share a sample.
    workers=${MUTATION_WORKERS:-1}
    if ((workers > 1)) && [[ $part == 1/1 ]]; then
        flock -u 9
        for k in $(seq "$workers"); do
            dir=$tree && ((k > 1)) && dir=$tree-$k
            ((k > 1)) && export MUTATION_BASELINE=off # the first checks the unchanged copy
            MUTATION_DIR=$dir MUTATION_WORKERS=1 "$0" --sample "$2" --seed "$4" --part "$k/$workers" \
                >"$logs/sample-$seed-part$k.out" 2>&1 &
        done
        wait || true
        cat "$logs"/sample-"$seed"-part*.out | grep -v '^  '
        cat "$tree"/sample-"$seed".tsv "$tree"-*/sample-"$seed".tsv >"$results.all" 2>/dev/null || true
        summary "$results.all" && exit 0
    fi
elif (($# == 0)); then
    selected=("${ids[@]}")
fi
for id in "${selected[@]}"; do [[ -v M[$id/file] ]] || generated "$id" || { echo "no mutant $id" >&2 && exit 2; }; done
file_of() { if generated "$1"; then echo "${G[$1/file]-}"; else echo "${M[$1/file]}"; fi; }
declare -A EQ=() && while read -r id; do EQ[$id]=1; done < <(listed equivalent.txt)

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
parity=$(for id in "${selected[@]}"; do if reader "$(file_of "$id")"; then echo profile_parity; fi; done | sort -u)
build_targets $parity || { tail -n 30 "$log" && echo "the copy does not build" >&2 && exit 2; }
# The tests must pass on the copy unchanged (MUTATION_BASELINE=off trusts
# that they do, when trying mutants one after another).
if [[ $mode != ci && ${MUTATION_BASELINE:-on} != off ]]; then
    base=("${tests[@]}")
    [[ -n $parity ]] || mapfile -t base < <(printf '%s\n' "${tests[@]}" | grep -v '^profile_parity')
    failed=$(run "${base[@]}") || { echo "the unchanged copy fails: $failed (see $log)" >&2 && exit 2; }
fi

restore() { if [[ -n ${current-} ]]; then cp "$tree/.original" "$tree/$current" && current=; fi; }
trap restore EXIT
caught=0 survived=0 marked=0 gone=0 equivalent=0 broken=0 unbuilt=0
for id in "${selected[@]}"; do
    f=$(file_of "$id") log=$logs/${id//\//_}.log n=$(count "$id") start=$SECONDS outcome=other
    if ((n == 0)); then result="text gone" gone=$((gone + 1))
    elif ((n > 1)); then result="BROKEN: the text occurs $n times" broken=$((broken + 1))
    elif [[ -v M[$id/equivalent] || -v EQ[$id] ]]; then
        result="equivalent: ${M[$id/equivalent]:-listed in equivalent.txt}" equivalent=$((equivalent + 1))
    else
        cp "$tree/$f" "$tree/.original" && current=$f
        if generated "$id"; then
            AT=${G[$id/line]} TO=${G[$id/text]} perl -pi -e '$_ = "$ENV{TO}\n" if $. == $ENV{AT}' "$tree/$f"
        else
            FROM=${M[$id/from]} TO=${M[$id/to]} perl -0777 -pi -e 's/\Q$ENV{FROM}\E/$ENV{TO}/' "$tree/$f"
        fi
        touch "$logs/stamp"
        if build_targets $(reader "$f" && echo profile_parity); then
            restore && reached=()
            for t in "${tests[@]}"; do
                [[ $t == profile_parity* ]] && ! reader "$f" && continue
                [[ $(exe "$t") -nt $logs/stamp || ($t =~ ^tst_(zplsink|http)$ && $build/tools/zplsink/zplsink -nt $logs/stamp) ]] &&
                    reached+=("$t")
            done
            if failed=$(run "${reached[@]}"); then
                survived=$((survived + 1)) result="SURVIVED (ran ${reached[*]:-no test})" outcome=survived
                [[ -v M[$id/survives] ]] && marked=$((marked + 1)) result="survived, as marked"
            else
                caught=$((caught + 1)) result="caught by $failed" outcome=caught
                [[ -v M[$id/survives] ]] && result+=" (marked survives: clear the mark)"
            fi
        elif generated "$id"; then
            restore && result="does not compile" unbuilt=$((unbuilt + 1)) outcome=unbuilt
        else
            restore && result="BROKEN: does not compile (see $log)" broken=$((broken + 1))
        fi
    fi
    printf '%-28s %s (%ds)\n' "$id" "$result" $((SECONDS - start))
    [[ $mode == sample ]] && printf '%s\t%s\t%s\t%s\t%s\n' "$id" "${G[$id/folder]-}" "$outcome" "$result" \
        "${G[$id/text]-}" >>"$results"
done
[[ $mode == sample ]] && summary "$results" && exit 0
tried=$((caught + survived))
echo "${#selected[@]} mutants: $caught caught, $survived survived ($marked of them marked), $gone text gone," \
    "$equivalent equivalent, $broken broken, $unbuilt generated ones did not compile;" \
    "caught $((tried ? 100 * caught / tried : 100))% of those run"
((survived == marked && broken == 0))

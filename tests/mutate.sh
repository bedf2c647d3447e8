#!/usr/bin/env bash
# Mutation check: applies each mutant of tests/mutants.txt (file @@ text @@ replacement) to a scratch copy of the
# product code, one at a time, rebuilds, runs every suite and counts the mutants the
# suite kills (a failing test). A mutant that does not compile is not counted.
# Needs python3. Usage: tests/mutate.sh [scratch folder] [mutants file, tests/mutants.txt by default]
set -uo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
scratch=${1:-/tmp/vortan-mutants}
list=$(realpath "${2:-$here/tests/mutants.txt}")
if [[ -d "$scratch/build" ]]; then
    # A scratch copy built before: put back a mutant a stopped run left, and take over only
    # the files that changed since, so that the build stays incremental.
    find "$scratch" -path "$scratch/build" -prune -o -name '*.orig' -print | while IFS= read -r f; do mv "$f" "${f%.orig}" && touch "${f%.orig}"; done
    git -C "$here" ls-files | while IFS= read -r f; do
        cmp -s "$here/$f" "$scratch/$f" || (cd "$here" && cp --parents "$f" "$scratch")
    done
    # Test pictures renamed or removed since would still be found by the suites.
    (cd "$scratch" && find tests/data -type f -print0) | while IFS= read -r -d '' f; do
        [[ -e "$here/$f" ]] || rm -- "$scratch/$f"
    done
else
    rm -rf "$scratch" && mkdir -p "$scratch"
    git -C "$here" ls-files -z | (cd "$here" && xargs -0 cp --parents -t "$scratch")
fi
cd "$scratch"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j2 >/dev/null || { echo "the unmutated code does not build"; exit 2; }
QT_QPA_PLATFORM=offscreen ctest --test-dir build -j2 >/dev/null || { echo "the unmutated suite fails"; exit 2; }

killed=0 survived=0 stillborn=0
while IFS= read -r line; do
    [[ -z "$line" || "$line" == \#* ]] && continue
    file=${line%% @@ *}
    rest=${line#* @@ }
    from=${rest%% @@ *}
    to=${rest#* @@ }
    cp "$file" "$file.orig"
    if ! python3 - "$file" "$from" "$to" <<'PY'; then
import sys
path, old, new = (a.replace("\\n", "\n") for a in sys.argv[1:4])
text = open(path).read()
if text.count(old) != 1:
    sys.exit(f"{path}: '{old}' found {text.count(old)} times")
open(path, "w").write(text.replace(old, new))
PY
        mv "$file.orig" "$file"
        exit 2
    fi
    if ! cmake --build build -j2 >/dev/null 2>&1; then
        stillborn=$((stillborn + 1))
        echo "did not build: $file: $from -> $to"
    # The suite-in-a-folder test runs the app suite once more: it finds files left behind,
    # never a mutant the app suite itself lets through.
    elif QT_QPA_PLATFORM=offscreen timeout 900 ctest --test-dir build -j2 --stop-on-failure --timeout 120 \
        -E '^TestFolders[.]' >ctest.log 2>&1; then
        survived=$((survived + 1))
        echo "SURVIVED: $file: $from -> $to"
    else
        killed=$((killed + 1))
        # The tests that caught it, so that a changed test can be checked against its mutants.
        echo "killed ($SECONDS s): $file: $from -> $to [by $(grep -oE '[0-9]+ - [A-Za-z0-9_.]+ \((Failed|Timeout|SEGFAULT|Subprocess aborted|Exception)' ctest.log | sed -E 's/^[0-9]+ - //; s/ \(.*//' | tr '\n' ' ')]"
    fi
    mv "$file.orig" "$file"
    touch "$file"
done <"$list"
cmake --build build -j2 >/dev/null 2>&1
total=$((killed + survived))
echo "killed $killed of $total mutants ($((100 * killed / (total > 0 ? total : 1)))%), $stillborn did not build"

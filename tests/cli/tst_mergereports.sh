#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# morwenda-merge-reports on the reports morwenda-batch writes for names that are not UTF-8: two
# names that differ only in such a byte are two files, not one converted twice; the merged report
# keeps each name as it was written (the bytes in CSV, the escapes in JSON). A row of the wrong
# width, a row without a path or with an outcome morwenda-batch never writes, and a folder named as
# a report end the merge with status 2. The merge knows the columns morwenda-batch writes; a part
# run twice keeps its last report's rows; names are printed escaped; with --expect, a file no
# report holds is named.
#
# Usage: tst_mergereports.sh MORWENDA_BATCH SOURCE_DIR CORPUS_DIR
set -euo pipefail

batch=$1 merge=$2/scripts/merge-reports corpus=$3
if [[ ! -f $corpus/simple1.pdf ]]; then
    echo "SKIP: the corpus is not beside the project"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

first=$work/$'caf\xe9.pdf' second=$work/$'caf\xe8.pdf'
cp "$corpus/simple1.pdf" "$first"
cp "$corpus/simple1.pdf" "$second"
for kind in csv json jsonl; do
    "$batch" --quiet --report "$work/one.$kind" "$first" || fail "the first $kind run"
    "$batch" --quiet --report "$work/two.$kind" "$second" || fail "the second $kind run"
    "$merge" "$work/all.$kind" "$work/one.$kind" "$work/two.$kind" 2>"$work/said" ||
        fail "$kind: $(cat "$work/said")"
    case $kind in
    csv) grep -qF "$first" "$work/all.csv" && grep -qF "$second" "$work/all.csv" ||
        fail "csv: the names' bytes are not in the merged report" ;;
    *) grep -qF 'caf\udce9.pdf' "$work/all.$kind" && grep -qF 'caf\udce8.pdf' "$work/all.$kind" ||
        fail "$kind: the names' escapes are not in the merged report" ;;
    esac
done

# A row cut to fewer fields, and a folder, are no reports.
{ head -1 "$work/one.csv"; printf '/a.pdf,/a.txt,converted\r\n'; } >"$work/short.csv"
for bad in "$work/short.csv" "$work"; do
    status=0
    "$merge" "$work/bad.csv" "$work/one.csv" "$bad" 2>"$work/said" || status=$?
    ((status == 2)) || fail "$bad was merged (status $status)"
    [[ ! -e $work/bad.csv ]] || fail "a merge that failed wrote its report"
done
grep -q 'a folder, not a report' "$work/said" || fail "the folder: $(cat "$work/said")"

# The script's columns are those of the report morwenda-batch writes.
[[ $("$merge" --columns) == "$(head -1 "$work/one.csv" | tr -d '\r')" ]] ||
    fail "the merge's columns $("$merge" --columns) differ from the report's $(head -1 "$work/one.csv")"

# A path without a name and an outcome of no morwenda-batch are refused.
header=$(head -1 "$work/one.csv")
for row in ',/a.txt,converted' '/a.pdf,/a.txt,converted-ish'; do
    printf '%s\n%s,,1,0.1,0,,,,,\r\n' "$header" "$row" >"$work/odd.csv"
    status=0
    "$merge" "$work/bad.csv" "$work/odd.csv" 2>"$work/said" || status=$?
    ((status == 2)) || fail "'$row' was merged (status $status)"
done

# A part run twice whose name holds ESC, BEL and a line feed: one row kept, the last report's, and
# the name printed escaped on one line; with --expect, a listed file no report holds is named.
odd=$work/$'a\e[31m\a\nb.pdf'
cp "$corpus/simple1.pdf" "$odd"
"$batch" --quiet --report "$work/first.csv" "$odd" || fail "the odd name's first run"
"$batch" --quiet --report "$work/again.csv" "$odd" || fail "the odd name's second run"
printf '%s\n%s\n' "$first" "$work/never.pdf" >"$work/list"
status=0
"$merge" --expect "$work/list" "$work/all.csv" "$work/one.csv" "$work/first.csv" \
    "$work/again.csv" 2>"$work/said" || status=$?
((status == 1)) || fail "a twice-converted and a lost file gave status $status"
grep -qF 'a\x1B[31m\x07\x0Ab.pdf is in more than one report' "$work/said" ||
    fail "the name is not escaped: $(cat -v "$work/said")"
grep -qF "$work/never.pdf is in no report" "$work/said" || fail "the lost file: $(cat "$work/said")"
(($(wc -l <"$work/said") == 2)) || fail "more than two lines: $(cat -v "$work/said")"
(($(grep -c ',converted,' "$work/all.csv") == 2)) || fail "a duplicate row: $(cat -v "$work/all.csv")"
[[ $(tail -n 3 "$work/all.csv") == "$(tail -n 3 "$work/again.csv")" ]] || fail "the last run's row is not kept"
# --expect0 over JSON Lines: a name that is not UTF-8 is found by its bytes, a lost one named.
status=0
"$merge" --expect0 <(printf '%s\0' "$first" "$work/lost.pdf") "$work/all.jsonl" \
    "$work/one.jsonl" 2>"$work/said" || status=$?
((status == 1)) && grep -qF "$work/lost.pdf is in no report" "$work/said" &&
    (($(wc -l <"$work/said") == 1)) || fail "--expect0 (status $status): $(cat -v "$work/said")"
echo "PASS: names kept in csv, json and jsonl; odd rows and a folder refused; duplicates, lost files and names told"

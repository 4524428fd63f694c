#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# morwenda-merge-reports on the reports morwenda-batch writes for names that are not UTF-8: two
# names that differ only in such a byte are two files, not one converted twice; the merged report
# keeps each name as it was written (the bytes in CSV, the escapes in JSON). A row of the wrong
# width and a folder named as a report end the merge with status 2.
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
echo "PASS: names kept in csv, json and jsonl; a short row and a folder refused"

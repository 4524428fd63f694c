#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The README's recipe for many machines, run on this one: GNU parallel spreads morwenda-batch over
# the hosts of a login file (here only ":", this machine) in chunks of a file list, each chunk
# writing its own report, and scripts/merge-reports joins them. Every listed file must be
# converted exactly once, the merged report must name each of them once, and no two chunks may
# write the same text file.
#
# Usage: tst_parallel.sh MORWENDA_BATCH SOURCE_DIR CORPUS_DIR PDFTOTEXT
set -euo pipefail

batch=$(realpath "$1") source=$2 corpus=$3 pdftotext=$4
if ! command -v parallel >/dev/null; then
    echo "SKIP: GNU parallel is not installed (Debian package parallel)"
    exit 77
fi
if [[ ! -f $corpus/MANIFEST.tsv ]]; then
    echo "SKIP: the corpus is not beside the project"
    exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
shared=$work/shared
mkdir -p "$shared/pdfs" "$shared/text" "$shared/reports" "$work/bin"
ln -s "$batch" "$work/bin/morwenda-batch"
export PATH=$work/bin:$PATH

# A tree where the same names meet in different folders, so chunks would clash without the tree.
count=0
for folder in . a b a/deep "with space" "semi;colon"; do
    mkdir -p "$shared/pdfs/$folder"
    for name in simple1 minimal-document imagemagick-images bad1 "empty#hash" -leading-dash; do
        cp "$corpus/$name.pdf" "$shared/pdfs/$folder/$name.pdf"
        count=$((count + 1))
    done
done

# The recipe (README, "Command line"): the list, the hosts, the chunks, the reports, the merge.
cd "$shared/pdfs"
find . -iname '*.pdf' -print0 > "$shared/list"
echo ":" > "$shared/hosts"
status=0
parallel -0 --sshloginfile "$shared/hosts" --workdir "$shared/pdfs" --jobs 1 -N 5 \
    --arg-file "$shared/list" \
    morwenda-batch --quiet --out "$shared/text" --keep-tree \
    --report "$shared/reports/chunk-{#}.csv" {} 2>"$work/errors" || status=$?
# Some files are damaged and image-only: each chunk holding one ends with 1, parallel counts them.
if ((status == 0)) || grep -v -e '^The following files could not be read:$' \
    -e '  - damaged file or not a PDF file\.$' -e '  - text unreadable\. ' "$work/errors"; then
    echo "FAIL: parallel ended with $status, or morwenda-batch said something unexpected"
    exit 1
fi
chunks=$(ls "$shared/reports" | wc -l)
"$source/scripts/merge-reports" "$shared/report.csv" "$shared/reports"/chunk-*.csv

# Every listed file once, and no other.
listed=$(tr '\0' '\n' < "$shared/list" | sed "s|^\./|$shared/pdfs/|" | sort)
reported=$(perl -ne 'next if $. == 1; print "$1\n" if /^"?([^,"]*)/' "$shared/report.csv" | sort)
if [[ $listed != "$reported" ]] || (($(wc -l <<<"$reported") != count)); then
    echo "FAIL: the merged report does not name every listed file exactly once"
    diff <(echo "$listed") <(echo "$reported") || true
    exit 1
fi

# Each text is the converter's own for its PDF, in the PDF's folder under the output folder.
texts=0
while IFS=, read -r path output outcome _; do
    [[ $path == path ]] && continue
    relative=${path#"$shared/pdfs/"}
    expected=$shared/text/${relative%.pdf}.txt
    case $outcome in
    converted | no-usable-text)
        texts=$((texts + 1))
        if [[ $output != "$expected" ]] || ! cmp -s "$output" <("$pdftotext" "$path" -); then
            echo "FAIL: $output is not the text of $path"
            exit 1
        fi
        ;;
    damaged) [[ $(basename "$path") == bad1.pdf ]] || { echo "FAIL: $path damaged"; exit 1; } ;;
    *) echo "FAIL: $path: $outcome"; exit 1 ;;
    esac
done < <(tr -d '\r' < "$shared/report.csv")
found=$(find "$shared/text" -type f | wc -l)
if ((found != texts)) || [[ -n $(find "$shared/text" -name '.morwenda-*') ]]; then
    echo "FAIL: $found files under the output folder for $texts texts"
    exit 1
fi
echo "PASS: $count files in $chunks chunks, each converted once, $texts texts"

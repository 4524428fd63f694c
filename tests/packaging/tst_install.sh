#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs a build into a folder of its own (`cmake --install --prefix`) and checks what a desktop
# will find there:
#   - exactly the expected files: the program, the desktop entry, the icons, the metadata, the
#     manual page, the copyright file, the Debian changelog, the lintian overrides and the sample
#     PDFs the build made (not the texts a run left beside them);
#   - each PNG icon as large as its theme folder says;
#   - the desktop entry passes desktop-file-validate without a hint, the metadata appstreamcli (no
#     network);
#   - the entry, the metadata and the icons agree on the program's id and binary; the newest
#     release of the metadata and the newest entry of the changelog are the project's version;
#   - the manual page reads without a warning.
#
# Usage: tst_install.sh BUILD-FOLDER PROJECT-VERSION
# Exits 77 (skipped) where a checking tool is not installed.
set -uo pipefail

readonly SKIPPED=77
readonly ID=org.tarvenik.Morwenda
readonly SIZES=(16 32 48 64 128 256)

build=${1:?build folder}
version=${2:?project version}
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

for tool in desktop-file-validate appstreamcli identify groff xmllint dpkg-parsechangelog; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed (scripts/lib/deps.sh lists the package)"
        exit $SKIPPED
    fi
done

prefix=$(mktemp -d "${TMPDIR:-/tmp}/morwenda-install.XXXXXX")
trap 'rm -rf "$prefix"' EXIT
if ! cmake --install "$build" --prefix "$prefix" >"$prefix.log" 2>&1; then
    cat "$prefix.log" >&2
    rm -f "$prefix.log"
    echo "FAIL: cmake --install failed" >&2
    exit 1
fi
rm -f "$prefix.log"

# What must be there, and nothing else.
expected=$(
    echo bin/morwenda
    echo bin/morwenda-batch
    echo bin/morwenda-merge-reports
    echo share/bash-completion/completions/morwenda-batch
    echo share/applications/$ID.desktop
    for size in "${SIZES[@]}"; do
        echo "share/icons/hicolor/${size}x$size/apps/$ID.png"
    done
    echo share/icons/hicolor/scalable/apps/$ID.svg
    echo share/man/man1/morwenda.1.gz
    echo share/doc/morwenda/copyright
    echo share/doc/morwenda/changelog.Debian.gz
    echo share/doc/morwenda/examples/morwenda-array.sbatch
    echo share/lintian/overrides/morwenda
    echo share/man/man1/morwenda-batch.1.gz
    echo share/man/man1/morwenda-merge-reports.1.gz
    echo share/metainfo/$ID.metainfo.xml
    if [[ -d $build/Samples ]]; then
        (cd "$build/Samples" && find . -type f -name '*.pdf' -printf 'share/morwenda/Samples/%P\n')
    fi
)
actual=$(cd "$prefix" && find . \( -type f -o -type l \) -printf '%P\n' | LC_ALL=C sort)
expected=$(LC_ALL=C sort <<<"$expected")
if [[ $actual != "$expected" ]]; then
    fail "the installed files differ from the expected ones (< expected, > installed):"
    diff <(echo "$expected") <(echo "$actual") >&2
fi
[[ -x $prefix/bin/morwenda ]] || fail "bin/morwenda is not executable"
[[ -x $prefix/bin/morwenda-batch ]] || fail "bin/morwenda-batch is not executable"
[[ -x $prefix/bin/morwenda-merge-reports ]] || fail "bin/morwenda-merge-reports is not executable"
bash -n "$prefix/share/bash-completion/completions/morwenda-batch" ||
    fail "the bash completion is not valid bash"
bash -n "$prefix/share/doc/morwenda/examples/morwenda-array.sbatch" ||
    fail "the Slurm example is not valid bash"
if [[ ! -d $build/Samples ]]; then
    echo "note: this build made no Samples folder, so none is installed"
fi

for size in "${SIZES[@]}"; do
    png=$prefix/share/icons/hicolor/${size}x$size/apps/$ID.png
    [[ -f $png ]] || continue
    got=$(identify -format '%wx%h' "$png")
    [[ $got == "${size}x$size" ]] || fail "$png is $got pixels"
done

desktop=$prefix/share/applications/$ID.desktop
metainfo=$prefix/share/metainfo/$ID.metainfo.xml
if [[ -f $desktop ]]; then
    # Not even a hint: two main categories, for one, show the entry twice in some menus.
    if ! said=$(desktop-file-validate "$desktop" 2>&1) || [[ -n $said ]]; then
        fail "desktop-file-validate finds fault with $ID.desktop: $said"
    fi
    icon=$(sed -n 's/^Icon=//p' "$desktop")
    [[ $icon == "$ID" ]] || fail "the desktop entry names icon '$icon', expected $ID"
    exec_line=$(sed -n 's/^Exec=//p' "$desktop")
    [[ -x $prefix/bin/${exec_line%% *} ]] || fail "Exec=$exec_line names no installed program"
fi
if [[ -f $metainfo ]]; then
    appstreamcli validate --no-net "$metainfo" || fail "appstreamcli rejects $ID.metainfo.xml"
    got=$(xmllint --xpath 'string(/component/id)' "$metainfo")
    [[ $got == "$ID" ]] || fail "the metadata's id is '$got'"
    got=$(xmllint --xpath 'string(/component/launchable[@type="desktop-id"])' "$metainfo")
    [[ -f $prefix/share/applications/$got ]] || fail "the metadata launches '$got', not installed"
    got=$(xmllint --xpath 'string(/component/releases/release[1]/@version)' "$metainfo")
    [[ $got == "$version" ]] || fail "the newest release in the metadata is '$got', the project is $version"
fi

changelog=$prefix/share/doc/morwenda/changelog.Debian.gz
if [[ -f $changelog ]]; then
    # The package's version is the project's with a Debian revision.
    got=$(zcat "$changelog" | dpkg-parsechangelog -l - -S Version) ||
        fail "dpkg-parsechangelog cannot read the changelog"
    [[ ${got%-*} == "$version" && ${got##*-} =~ ^[0-9]+$ ]] ||
        fail "the newest entry of the changelog is '$got', the project is $version"
fi

for man in "$prefix"/share/man/man1/morwenda.1.gz "$prefix"/share/man/man1/morwenda-batch.1.gz \
    "$prefix"/share/man/man1/morwenda-merge-reports.1.gz; do
    [[ -f $man ]] || continue
    warnings=$(zcat "$man" | groff -man -ww -z 2>&1)
    [[ -z $warnings ]] || fail "the manual page $(basename "$man") gives warnings: $warnings"
    ! zgrep -q '@[A-Z_]*@' "$man" || fail "the manual page $(basename "$man") holds an unfilled @...@ value"
done

if ((failures != 0)); then
    exit 1
fi
echo "PASS: installed files, icons, desktop entry, metadata and manual page"

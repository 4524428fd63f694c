#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The installed Slurm example on a real one-node Slurm cluster: the build is installed into a
# folder of its own, a cluster is configured in a temporary folder (its own ports, state and
# spool), munged is started where none answers, then slurmctld and slurmd; the example is
# submitted as an array of 4 tasks over a tree of PDFs of mixed sizes. Every PDF must then have
# exactly one text, equal to pdftotext's, and the merged report one row per PDF. Then a file of
# another part grows and one part is rerun alone: it holds the files it held, resumes from its
# report, converts only the text that is gone, and the reports are merged again; a merge with a
# killed part's partial report says so. The daemons the test started are stopped by their process
# ids.
#
# Usage: tst_slurm.sh BUILD_DIR CORPUS_DIR PDFTOTEXT
set -uo pipefail

build=$(realpath "$1") corpus=$2 pdftotext=$3
readonly SKIPPED=77
skip() {
    echo "SKIP: $*"
    exit $SKIPPED
}
for program in slurmctld slurmd sbatch squeue scontrol munged mungekey munge unmunge; do
    command -v "$program" >/dev/null || PATH=$PATH:/usr/sbin command -v "$program" >/dev/null ||
        skip "$program is not installed (Debian packages slurmctld slurmd slurm-client munge;" \
            "scripts/lib/deps.sh installs them)"
done
export PATH=$PATH:/usr/sbin
((EUID == 0)) || skip "slurmd starts each job as its user and runs only as root"
[[ -f $corpus/MANIFEST.tsv ]] || skip "the corpus is not beside the project"

work=$(mktemp -d "${TMPDIR:-/tmp}/morwenda-slurm.XXXXXX")
chmod 755 "$work"
daemons=()
stop_cluster() {
    if [[ -n ${SLURM_CONF:-} ]] && ((${#daemons[@]} > 0)); then
        # Jobs left by a failure end before their daemons, so that no converter outlives the test.
        scancel --quiet --user=root 2>/dev/null
        for _ in $(seq 100); do
            [[ -z $(squeue -h -o %i 2>/dev/null) ]] && break
            sleep 0.1
        done
    fi
    for pid in "${daemons[@]}"; do
        kill "$pid" 2>/dev/null
    done
    for pid in "${daemons[@]}"; do
        wait "$pid" 2>/dev/null
    done
    rm -rf "$work"
}
trap stop_cluster EXIT

failed=0
fail() {
    echo "FAIL: $*"
    failed=1
}
show_logs() {
    for log in "$work"/log/* "$work"/morwenda-*.log "$work"/reports/merge-*.log \
        "$work"/reports/part-*.csv*; do
        [[ -f $log ]] && { echo "--- $log"; grep -v 'Unauthorized credential' "$log" | tail -n 30; }
    done
}

# The build as a package installs it: the programs and the example, as users get them.
if ! cmake --install "$build" --prefix "$work/prefix" >"$work/install.log" 2>&1; then
    cat "$work/install.log"
    echo "FAIL: cmake --install failed"
    exit 1
fi
example=$work/prefix/share/doc/morwenda/examples/morwenda-array.sbatch
[[ -f $example ]] || { echo "FAIL: the example is not installed"; exit 1; }
export PATH=$work/prefix/bin:$PATH

# munge: the one that runs, or one of our own on a socket in the temporary folder.
mkdir -p "$work/log" "$work/state" "$work/spool"
authinfo=
if ! munge -n 2>/dev/null | unmunge >/dev/null 2>&1; then
    mungekey --create --keyfile="$work/munge.key" 2>"$work/log/mungekey" ||
        skip "mungekey cannot make a key: $(cat "$work/log/mungekey")"
    munged --foreground --socket="$work/munge.socket" --key-file="$work/munge.key" \
        --pid-file="$work/munged.pid" --seed-file="$work/munged.seed" \
        --log-file="$work/log/munged" >"$work/log/munged.out" 2>&1 &
    daemons+=($!)
    for _ in $(seq 100); do
        munge -S "$work/munge.socket" -n 2>/dev/null | unmunge -S "$work/munge.socket" \
            >/dev/null 2>&1 && break
        sleep 0.1
    done
    munge -S "$work/munge.socket" -n 2>/dev/null | unmunge -S "$work/munge.socket" >/dev/null 2>&1 ||
        skip "munged cannot be started: $(cat "$work/log/munged.out")"
    authinfo="AuthInfo=socket=$work/munge.socket"
fi

# Two ports nobody listens on.
free_port() {
    local port
    while :; do
        port=$((20000 + RANDOM % 30000))
        (: <"/dev/tcp/127.0.0.1/$port") 2>/dev/null || { echo "$port"; return; }
    done
}
host=$(hostname -s)
cat >"$work/slurm.conf" <<CONF
ClusterName=morwenda-test
SlurmctldHost=$host(127.0.0.1)
SlurmctldPort=$(free_port)
SlurmdPort=$(free_port)
AuthType=auth/munge
CredType=cred/munge
$authinfo
SlurmUser=root
SlurmdUser=root
StateSaveLocation=$work/state
SlurmdSpoolDir=$work/spool
SlurmctldPidFile=$work/slurmctld.pid
SlurmdPidFile=$work/slurmd.pid
SlurmctldLogFile=$work/log/slurmctld
SlurmdLogFile=$work/log/slurmd
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
SelectType=select/cons_tres
SelectTypeParameters=CR_Core
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
JobCompType=jobcomp/none
MpiDefault=none
MailProg=/bin/true
ReturnToService=2
NodeName=morwenda-node NodeHostname=$host NodeAddr=127.0.0.1 CPUs=$(nproc) State=UNKNOWN
PartitionName=morwenda Nodes=morwenda-node Default=YES MaxTime=INFINITE State=UP
CONF
export SLURM_CONF=$work/slurm.conf
slurmctld -D -f "$SLURM_CONF" >"$work/log/slurmctld.out" 2>&1 &
daemons+=($!)
slurmd -D -N morwenda-node -f "$SLURM_CONF" >"$work/log/slurmd.out" 2>&1 &
daemons+=($!)
for _ in $(seq 300); do
    [[ $(sinfo -h -o %T 2>/dev/null) == idle ]] && break
    sleep 0.1
done
if [[ $(sinfo -h -o %T 2>/dev/null) != idle ]]; then
    show_logs
    skip "the one-node cluster did not come up (logs above)"
fi

# PDFs of mixed sizes (17 KB to 1.8 MB), the same names in several folders.
pdfs=$work/pdfs
mkdir -p "$pdfs/a" "$pdfs/b/deep" "$pdfs/with space"
sizes=(minimal-document simple1 pdflatex-4-pages multicolumn google-doc-document
    naacl06-shinyama i1040nr The-War-of-the-Worlds tracemonkey GeoTopo-komprimiert)
for name in "${sizes[@]}"; do cp "$corpus/$name.pdf" "$pdfs/"; done
for name in simple1 multicolumn i1040nr; do cp "$corpus/$name.pdf" "$pdfs/a/"; done
for name in simple1 tracemonkey; do cp "$corpus/$name.pdf" "$pdfs/b/deep/"; done
cp "$corpus/naacl06-shinyama.pdf" "$pdfs/with space/"
count=$(find "$pdfs" -name '*.pdf' | wc -l)

cd "$work" || exit 1
# A job and its wait; a job that cannot be scheduled fails the test instead of holding it (the
# cleanup cancels it).
submit() {
    timeout 120 sbatch --wait --quiet "$@"
}
submit --array=1-4 --cpus-per-task=1 "$example" "$pdfs" "$work/text" \
    "$work/reports"
status=$?
# The merging job was submitted by the first task; it may still be waiting or running.
wait_for_merge() {
    local merge
    merge=$(squeue -h -t all -n morwenda-merge -o %i | sort -n | tail -n 1)
    [[ -n $merge ]] || { fail "no merging job was submitted"; return; }
    submit --dependency="afterany:$merge" --output=/dev/null --wrap true
}
wait_for_merge
((status == 0)) || fail "the array ended with $status"

# A report's rows without its header, one field of each (CSV without quotes: the names here hold
# no comma or quote).
field_of() { tail -n +2 "$1" | tr -d '\r' | cut -d, -f"$2"; }

texts_match() {
    local pdf relative text found=0
    while IFS= read -r -d '' pdf; do
        relative=${pdf#"$pdfs/"}
        text=$work/text/${relative%.pdf}.txt
        if ! cmp -s "$text" <("$pdftotext" "$pdf" -); then
            fail "$text is not pdftotext's text of $pdf"
        fi
        found=$((found + 1))
    done < <(find "$pdfs" -name '*.pdf' -print0)
    local made
    made=$(find "$work/text" -mindepth 1 -not -type d | wc -l)
    ((made == found)) || fail "$made files under the output folder for $found PDFs"
}
report_rows_once() {
    local report=$work/reports/report.csv
    [[ -f $report ]] || { fail "no merged report"; return; }
    local paths
    paths=$(field_of "$report" 1 | sort)
    [[ $(wc -l <<<"$paths") == "$count" ]] || fail "the merged report has not $count rows"
    [[ -z $(uniq -d <<<"$paths") ]] || fail "a PDF is named twice: $(uniq -d <<<"$paths")"
    [[ $paths == "$(find "$pdfs" -name '*.pdf' | sort)" ]] || fail "the report names other files"
    [[ -z $(field_of "$report" 3 | grep -v '^converted$') ]] ||
        fail "a file was not converted"
}
texts_match
report_rows_once

for part in 1 2 3 4; do
    echo "part $part: $(field_of "$work/reports/part-$part.csv" 1 | wc -l) files"
done

# A part rerun alone takes over from its report: a text that is gone is converted again, the
# others stay as they are, and the reports are merged again.
rerun=1
for part in 1 2 3 4; do
    (($(field_of "$work/reports/part-$part.csv" 2 | wc -l) > 1)) && { rerun=$part; break; }
done
mapfile -t outputs < <(field_of "$work/reports/part-$rerun.csv" 2)
held=$(field_of "$work/reports/part-$rerun.csv" 1 | sort)
# A file of another part grows: the rerun part must still hold what it held.
for part in 1 2 3 4; do
    ((part != rerun)) || continue
    grown=$(field_of "$work/reports/part-$part.csv" 1 | head -n 1)
    [[ -n $grown ]] && { printf '%% grown\n' >>"$grown"; break; }
done
victim=${outputs[0]}
stamps=$(stat -c '%n %y' "${outputs[@]:1}")
rm -f "$victim" "$work/reports/report.csv"
submit --array=$rerun --cpus-per-task=1 --export=ALL,MORWENDA_PARTS=4 "$example" \
    "$pdfs" "$work/text" "$work/reports" || fail "the rerun of part $rerun failed"
wait_for_merge
[[ -f $victim ]] || fail "the rerun did not convert $victim again"
[[ $(field_of "$work/reports/part-$rerun.csv" 1 | sort) == "$held" ]] ||
    fail "the rerun of part $rerun holds other files than before"
[[ $(stat -c '%n %y' "${outputs[@]:1}") == "$stamps" ]] || fail "the rerun converted kept texts"
texts_match
report_rows_once

# A part that was killed has only its partial report: the merge takes its rows, names the part
# and ends with 1.
mv "$work/reports/part-1.csv" "$work/reports/part-1.csv.999.part"
rm -f "$work/reports/report.csv"
submit --cpus-per-task=1 --output="$work/merge-by-hand.log" "$example" --merge "$work/reports"
status=$?
((status == 1)) && grep -q "part 1 of 4 did not finish" "$work/merge-by-hand.log" ||
    fail "a merge with a partial report ended with $status: $(cat "$work/merge-by-hand.log")"
report_rows_once

if ((failed)); then
    show_logs
    exit 1
fi
echo "PASS: $count PDFs in 4 parts on Slurm $(sinfo -V | cut -d' ' -f2), each converted once; a part rerun alone"

#!/usr/bin/env bash
# Regenerates every figure of bench/README.md: installs what is missing,
# builds the bench preset and runs the three benchmarks, writing the raw
# outputs to build/bench/results. Takes a few minutes; run it on an otherwise
# idle machine.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
ini=$repo/bench/win.ini
tools/install-dependencies.sh bench
cmake --workflow --preset bench

build=$repo/build/bench
results=$build/results
rm -rf "$results"
mkdir -p "$results"

# Profiles live in /tmp, outside any git work tree (git config looks for
# one) and on the disk whose fsync is measured. The runtime folder is on
# tmpfs where there is one, as XDG_RUNTIME_DIR is on a desktop, with a short
# path (socket addresses), and empty: no other window hears the broadcasts.
scratch=$(mktemp -d /tmp/pellomar-bench.XXXXXX)
runtime_base=/tmp
[[ $(stat -f -c %T /dev/shm 2>/dev/null) == tmpfs ]] && runtime_base=/dev/shm
runtime=$(mktemp -d "$runtime_base/pellomar-bench-run.XXXXXX")
trap 'rm -rf "$scratch" "$runtime"' EXIT

{
  echo "cpu: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ //')"
  echo "cores: $(nproc)"
  echo "kernel: $(uname -sr)"
  device=$(findmnt -no SOURCE -T "$scratch")
  journal=no
  compgen -G "/proc/fs/jbd2/$(basename "$device")*" > /dev/null && journal=yes
  echo "profile filesystem: $(findmnt -no FSTYPE -T "$scratch") on $device, journal: $journal"
  echo "runtime folder filesystem: $(stat -f -c %T "$runtime")"
  echo "date: $(date -u +%Y-%m-%dT%H:%MZ)"
  echo "hyperfine: $(hyperfine --version)"
  echo "git: $(git --version)"
  echo "crudini: $(crudini --version 2>&1 | head -1)"
} | tee "$results/machine.txt"

# Whole processes: the same 1 KB WIN.INI, reset before each run so that
# every run really changes it, set by each tool in a folder of its own.
value=Pellomar,winspool,Ne01:
for tool in pellomar floor git crudini; do mkdir "$scratch/$tool"; done
cd "$scratch"
XDG_CONFIG_HOME=$scratch/pellomar XDG_RUNTIME_DIR=$runtime \
hyperfine --shell=none --warmup 20 --runs 300 \
  --export-json "$results/process.json" \
  --export-markdown "$results/process.md" \
  --prepare "cp $ini $scratch/pellomar/win.ini" \
  --prepare "cp $ini $scratch/floor/win.ini" \
  --prepare "cp $ini $scratch/git/win.ini" \
  --prepare "cp $ini $scratch/crudini/win.ini" \
  --command-name pellomar "$build/pellomar" \
  --command-name floor "$build/pellomar_floor $scratch/floor/win.ini $value" \
  --command-name "git config" "git config --file $scratch/git/win.ini windows.Device $value" \
  --command-name "crudini --set" "crudini --set $scratch/crudini/win.ini windows Device $value" \
  | tee "$results/process.txt"
# Each tool did set the value.
for tool in pellomar floor git crudini; do
  [[ $(git config --file "$scratch/$tool/win.ini" windows.Device) == "$value" ]] ||
    { echo "$tool did not set the value" >&2; exit 1; }
done

# Where the program's time goes: a process that does nothing, the floor,
# then the program's own road in cumulative parts, then the program.
XDG_CONFIG_HOME=$scratch/pellomar XDG_RUNTIME_DIR=$runtime \
hyperfine --shell=none --warmup 20 --runs 300 \
  --export-json "$results/process_parts.json" \
  --export-markdown "$results/process_parts.md" \
  --prepare true \
  --prepare "cp $ini $scratch/floor/win.ini" \
  --prepare true \
  --prepare "cp $ini $scratch/pellomar/win.ini" \
  --prepare "cp $ini $scratch/pellomar/win.ini" \
  --prepare "cp $ini $scratch/pellomar/win.ini" \
  --command-name "process start (true)" true \
  --command-name floor "$build/pellomar_floor $scratch/floor/win.ini $value" \
  --command-name "C++ runtime loaded" "$build/pellomar_parts start" \
  --command-name "+ WriteProfileStringA" "$build/pellomar_parts write" \
  --command-name "+ SendMessageA broadcast" "$build/pellomar_parts broadcast" \
  --command-name "pellomar (+ window, end)" "$build/pellomar" \
  | tee "$results/process_parts.txt"
cd "$repo"

# In-process figures.
PELLOMAR_BENCH_DIR=$scratch "$build/profile_bench" \
  --benchmark_out="$results/profile_bench.json" --benchmark_out_format=json \
  | tee "$results/profile_bench.txt"
XDG_RUNTIME_DIR=$runtime "$build/broadcast_bench" \
  --benchmark_out="$results/broadcast_bench.json" --benchmark_out_format=json \
  | tee "$results/broadcast_bench.txt"
# The same on one core: no wake-up of an idle core between the processes.
XDG_RUNTIME_DIR=$runtime taskset -c 0 "$build/broadcast_bench" \
  --benchmark_out="$results/broadcast_bench_one_core.json" --benchmark_out_format=json \
  | tee "$results/broadcast_bench_one_core.txt"
echo "raw outputs in $results"

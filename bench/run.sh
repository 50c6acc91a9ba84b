#!/usr/bin/env bash
# Regenerates every figure of bench/README.md: installs what is missing,
# builds the bench preset and runs the three benchmarks, writing the raw
# outputs to build/bench/results. Takes a few minutes; run it on an otherwise
# idle machine.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-dependencies.sh bench
cmake --workflow --preset bench

build=$PWD/build/bench
results=$build/results
rm -rf "$results"
mkdir -p "$results"

# Profiles live in /tmp, outside any git work tree (git config looks for
# one) and on the disk whose fsync is measured; the runtime folder is short
# (socket addresses) and empty: no other window hears the broadcasts.
scratch=$(mktemp -d /tmp/pellomar-bench.XXXXXX)
runtime=$(mktemp -d /tmp/pellomar-bench-run.XXXXXX)
trap 'rm -rf "$scratch" "$runtime"' EXIT

{
  echo "cpu: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ //')"
  echo "cores: $(nproc)"
  echo "kernel: $(uname -sr)"
  echo "profile filesystem: $(df -T "$scratch" | awk 'NR == 2 { print $2 " on " $1 }')"
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
  --prepare "cp $OLDPWD/bench/win.ini $scratch/pellomar/win.ini" \
  --prepare "cp $OLDPWD/bench/win.ini $scratch/floor/win.ini" \
  --prepare "cp $OLDPWD/bench/win.ini $scratch/git/win.ini" \
  --prepare "cp $OLDPWD/bench/win.ini $scratch/crudini/win.ini" \
  --command-name pellomar "$build/pellomar" \
  --command-name floor "$build/pellomar_floor $scratch/floor/win.ini $value" \
  --command-name "git config" "git config --file $scratch/git/win.ini windows.Device $value" \
  --command-name "crudini --set" "crudini --set $scratch/crudini/win.ini windows Device $value" \
  | tee "$results/process.txt"
cd "$OLDPWD"
# Each tool did set the value.
for tool in pellomar floor git crudini; do
  [[ $(git config --file "$scratch/$tool/win.ini" windows.Device) == "$value" ]] ||
    { echo "$tool did not set the value" >&2; exit 1; }
done

# In-process figures.
PELLOMAR_BENCH_DIR=$scratch "$build/profile_bench" \
  --benchmark_out="$results/profile_bench.json" --benchmark_out_format=json \
  | tee "$results/profile_bench.txt"
"$build/broadcast_bench" \
  --benchmark_out="$results/broadcast_bench.json" --benchmark_out_format=json \
  | tee "$results/broadcast_bench.txt"
# The same on one core: no wake-up of an idle core between the processes.
taskset -c 0 "$build/broadcast_bench" \
  --benchmark_out="$results/broadcast_bench_one_core.json" --benchmark_out_format=json \
  | tee "$results/broadcast_bench_one_core.txt"
echo "raw outputs in $results"

# Sourced by the benchmarks that time commands on the whole-run corpus: reads their shared
# options (--files N --mb M --seed S --runs R --out FILE.md) into files, mb, seed, runs and
# out, sets here, root and cli (FARROWDALE_CLI, else build-bench/bin/farrowdale-cli), checks
# that hyperfine and the CLI are there, and switches to the C.UTF-8 locale.
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
name=$(basename "$0")
cli=${FARROWDALE_CLI:-$root/build-bench/bin/farrowdale-cli}
files=1000
mb=100
seed=1
runs=5
out=""
while [ $# -gt 0 ]; do
  case "$1" in
    --files) files=$2; shift 2 ;;
    --mb) mb=$2; shift 2 ;;
    --seed) seed=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    *) echo "usage: $name [--files N] [--mb M] [--seed S] [--runs R] [--out FILE.md]" >&2
       exit 2 ;;
  esac
done
command -v hyperfine >/dev/null || { echo "$name: hyperfine is missing" >&2; exit 1; }
[ -x "$cli" ] || { echo "$name: no $cli; build it first" >&2; exit 1; }
export LC_ALL=C.UTF-8

#!/usr/bin/env bash
# Coder comparison benchmark: generates the whole-run corpus (make_corpus.py) as coder A's
# copy, makes coder B's copy from it with every third passage of each tag unmarked (same
# text, same encodings, other coding), and times, in one hyperfine run, `farrowdale-cli
# agree` on the two copies against two `farrowdale-cli count` runs (per-file reports), one on
# each copy. The folders live under WORK_DIR (default: a temporary folder under /work, a real
# disk), not in memory.
#
#   bench/run/agree_bench.sh [--files N] [--mb M] [--seed S] [--runs R] [--out FILE.md]
#
# The CLI comes from build-bench/bin (Release) unless FARROWDALE_CLI names another.
# Everything runs under the C.UTF-8 locale.
set -euo pipefail
source "$(cd "$(dirname "$0")" && pwd)/corpus_bench_options.sh"
work=$(mktemp -d "${WORK_DIR:-/work}/agree_bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
tagset=$work/tagset.ini
python3 "$here/make_corpus.py" --out "$work/A" --seed "$seed" --files "$files" --mb "$mb"
# Coder B: each file decoded as its mark says, every third passage of each tag unmarked.
python3 - "$work/A" "$work/B" <<'PY'
import codecs, os, re, sys
source, target = sys.argv[1], sys.argv[2]
os.makedirs(target)
for name in sorted(os.listdir(source)):
    data = open(os.path.join(source, name), "rb").read()
    if data.startswith(codecs.BOM_UTF16_LE):
        encoding, mark = "utf-16-le", codecs.BOM_UTF16_LE
    elif data.startswith(codecs.BOM_UTF8):
        encoding, mark = "utf-8", codecs.BOM_UTF8
    else:
        encoding, mark = "utf-8", b""
    text = data[len(mark):].decode(encoding)
    seen = {}
    def unmark(match):
        tag = match.group(1)
        seen[tag] = seen.get(tag, 0) + 1
        return match.group(2) if seen[tag] % 3 == 0 else match.group(0)
    text = re.sub(r"<(t\d\d)>(.*?)</\1>", unmark, text, flags=re.S)
    open(os.path.join(target, name), "wb").write(mark + text.encode(encoding))
PY
echo "corpus: $(du -sb "$work/A" | cut -f1) bytes in $files files, twice"
"$cli" agree --tagset "$tagset" --output "$work" "$work/A" "$work/B" | tail -3

markdown=${out:-$work/hyperfine.md}
hyperfine --warmup 1 --runs "$runs" --export-markdown "$markdown" \
  --export-json "$work/hyperfine.json" \
  -n "farrowdale-cli agree" "'$cli' agree --tagset '$tagset' --output '$work' '$work/A' '$work/B' >/dev/null" \
  -n "two farrowdale-cli count runs" "'$cli' count --tagset '$tagset' '$work/A' && '$cli' count --tagset '$tagset' '$work/B'"
cat "$markdown"
python3 "$here/median_table.py" "$work/hyperfine.json" "Median / agree"

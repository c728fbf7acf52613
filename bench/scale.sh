#!/usr/bin/env bash
# Scale check of the crawl: does the cost grow linearly with the site, and
# does a crawl of 100,000 items stay small in memory?
#
#   bench/scale.sh [--runs N] [--latency MS] [--tools "..."] [--skip-linear]
#                  [--skip-items] [--report FILE] [--cli PATH]
#
# 1. Linear: the standard site (8 sections) and one 10 times larger (80
#    sections), same depth, crawled by each tool (default: Zavelon with the
#    size limit off, and wget2); prints the time ratio large/small next to
#    the ratio of pictures.
# 2. Items: a site of 30 x 10 gallery pages with 300 pictures each (10-12 KB,
#    to keep the disk use near 1 GB), about 100,000 items at depth 3; one run
#    per tool, with peak RSS.
# Both reuse bench/crawl.sh, so the saved sets are checked as there.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

RUNS=3
LATENCY=0
TOOLS="zavelon-nolimit wget2"
LINEAR=1
ITEMS=1
REPORT=""
CLI_ARGS=()
while (($#)); do
  case $1 in
    --runs) RUNS=$2; shift 2 ;;
    --latency) LATENCY=$2; shift 2 ;;
    --tools) TOOLS=$2; shift 2 ;;
    --skip-linear) LINEAR=; shift ;;
    --skip-items) ITEMS=; shift ;;
    --report) REPORT=$2; shift 2 ;;
    --cli) CLI_ARGS=(--cli "$2"); shift 2 ;;
    -h|--help) sed -n '2,16p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) die "unknown argument: $1" ;;
  esac
done

BENCH_WORK=$(mktemp -d "${TMPDIR:-/tmp}/zav-scale.XXXXXX")
trap bench_cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
CRAWL=$BENCH_DIR/crawl.sh
say() { echo "$*"; [[ -z $REPORT ]] || echo "$*" >>"$REPORT"; }

if [[ -n $LINEAR ]]; then
  for sections in 8 80; do
    "$CRAWL" --runs "$RUNS" --latency "$LATENCY" --tools "$TOOLS" --site "--sections $sections" \
      --summary "$BENCH_WORK/linear-$sections.tsv" "${CLI_ARGS[@]}" >"$BENCH_WORK/linear-$sections.md"
  done
  say ""
  say "Linear growth, latency $LATENCY ms, median of $RUNS runs: standard site (8 sections) and 10 times larger (80)"
  say ""
  say "| Tool | Pictures small / large | Items small / large | Wall s small / large | Time ratio | Pictures ratio | Peak RSS MB small / large |"
  say "|---|---|---|---|---:|---:|---|"
  while IFS=$'\t' read -r _ tool status wall _ rss pics items _; do
    IFS=$'\t' read -r _ _ status2 wall2 _ rss2 pics2 items2 _ < <(awk -F'\t' -v t="$tool" '$2 == t' "$BENCH_WORK/linear-80.tsv")
    flag=""
    [[ $status == ok && $status2 == ok ]] || flag=" (sets: $status / $status2)"
    say "$(printf '| %s%s | %s / %s | %s / %s | %.2f / %.2f | %.1f | %.1f | %.0f / %.0f |' "$tool" "$flag" \
      "$pics" "$pics2" "$items" "$items2" "$wall" "$wall2" \
      "$(awk -v a="$wall2" -v b="$wall" 'BEGIN {print a / b}')" \
      "$(awk -v a="$pics2" -v b="$pics" 'BEGIN {print a / b}')" "$rss" "$rss2")"
  done <"$BENCH_WORK/linear-8.tsv"
fi

if [[ -n $ITEMS ]]; then
  "$CRAWL" --runs 0 --latency "$LATENCY" --tools "$TOOLS" \
    --site "--sections 30 --fanout 10 --pics 300 --leaf-pics 0 --min-kb 10 --max-kb 12" \
    --summary "$BENCH_WORK/items.tsv" "${CLI_ARGS[@]}" >"$BENCH_WORK/items.md"
  say ""
  say "About 100,000 items (30 x 10 gallery pages of 300 pictures, depth 3), latency $LATENCY ms, one run"
  say ""
  say "| Tool | Set | Pictures expected | Items | Wall s | Pictures/s | CPU s | Peak RSS MB | Requests |"
  say "|---|---|---:|---:|---:|---:|---:|---:|---|"
  while IFS=$'\t' read -r _ tool status wall cpu rss pics items req; do
    rate=-
    [[ $status == ok ]] && rate=$(awk -v n="$pics" -v w="$wall" 'BEGIN {printf "%.0f", n / w}')
    say "$(printf '| %s | %s | %s | %s | %.1f | %s | %.1f | %.0f | %s |' "$tool" "$status" "$pics" "$items" \
      "$wall" "$rate" "$cpu" "$rss" "$req")"
  done <"$BENCH_WORK/items.tsv"
fi

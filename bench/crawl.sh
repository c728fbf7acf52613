#!/usr/bin/env bash
# Crawl benchmark: Zavelon against wget2, wget and httrack on one synthetic
# site served by nginx on 127.0.0.1, optionally behind a delaying proxy.
#
#   bench/crawl.sh [--runs N] [--latency "0 20"] [--depth D] [--tools "..."]
#                  [--site "GENSITE ARGS"] [--report FILE] [--summary FILE]
#                  [--cli PATH] [--keep]
#
# Every tool crawls the same start URL to the same depth, keeps only
# jpg/png/gif, uses 8 connections where it can, and writes into a fresh
# folder.  The first run of every tool is a check run: the sorted names of
# the pictures it saved are compared with the site's expected set.  Then
# --runs timed runs per tool, taken in turns (--runs 0: the check run is the
# timed one).  Prints one Markdown table per latency (and appends it to
# --report; --summary gets one tab-separated line per tool).  Latency 0 is
# nginx directly; any other latency goes through bench/site/delayproxy.py.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

RUNS=3
LATENCIES="0 20"
DEPTH=3
TOOLS="zavelon zavelon-nolimit wget2 wget httrack"
SITE_ARGS=""
REPORT=""
SUMMARY=""
CLI=""
while (($#)); do
  case $1 in
    --runs) RUNS=$2; shift 2 ;;
    --latency) LATENCIES=$2; shift 2 ;;
    --depth) DEPTH=$2; shift 2 ;;
    --tools) TOOLS=$2; shift 2 ;;
    --site) SITE_ARGS=$2; shift 2 ;;
    --report) REPORT=$2; shift 2 ;;
    --summary) SUMMARY=$2; shift 2 ;;
    --cli) CLI=$2; shift 2 ;;
    --keep) BENCH_KEEP=1; shift ;;
    -h|--help) sed -n '2,16p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) die "unknown argument: $1" ;;
  esac
done

BENCH_WORK=$(mktemp -d "${TMPDIR:-/tmp}/zav-crawl.XXXXXX")
chmod 755 "$BENCH_WORK"
trap bench_cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

need=(nginx:nginx curl:curl /usr/bin/time:time)
for t in $TOOLS; do
  case $t in
    wget2) need+=(wget2:wget2) ;;
    wget) need+=(wget:wget) ;;
    httrack) need+=(httrack:httrack) ;;
  esac
done
ensure_packages "${need[@]}" || die "package installation failed"

if [[ " $TOOLS " == *" zavelon"* ]]; then
  if [[ -n $CLI ]]; then
    ZAVELON_CLI=$CLI
  else
    log "building zavelon-cli (Release)"
    build_zavelon
  fi
fi

# BENCH_SITE_CACHE=DIR keeps generated sites between invocations.
if [[ -n ${BENCH_SITE_CACHE:-} ]]; then
  SITE=$BENCH_SITE_CACHE/site-$(echo "$DEPTH $SITE_ARGS" | md5sum | cut -c1-8)
  chmod 755 "$BENCH_SITE_CACHE" 2>/dev/null || true
else
  SITE=$BENCH_WORK/site
fi
# shellcheck disable=SC2086
make_site "$SITE" --depth "$DEPTH" $SITE_ARGS
EXPECTED=$SITE/expected.txt
N_EXPECTED=$(wc -l <"$EXPECTED")
log "site: $(cat "$SITE/stats.json" | tr -d '\n ')"
start_nginx "$SITE/www" "$BENCH_WORK/nginx"

# run_tool TOOL URL OUT: one crawl into the fresh folder OUT; writes
# OUT.time ("wall user sys maxrss_kb") and returns the tool's exit code.
run_tool() {
  local tool=$1 url=$2 out=$3
  local tf=$out.time lf=$out.log
  mkdir -p "$out"
  local timed=(/usr/bin/time -f '%e %U %S %M' -o "$tf")
  case $tool in
    zavelon|zavelon-nolimit)
      local home=$out.home limit=()
      [[ $tool == zavelon-nolimit ]] && limit=(--no-limit)
      mkdir -p "$home"
      "$ZAVELON_CLI" --home "$home" task new "$home/t.wrp" --url "$url" --folder "$out/" \
        --depth "$DEPTH" "${limit[@]}" --mask "jpg, Saved" --mask "png, Saved" --mask "gif, Saved" \
        >"$lf" 2>&1 || return $?
      "${timed[@]}" "$ZAVELON_CLI" --home "$home" run "$home/t.wrp" --quiet >>"$lf" 2>&1 || return $?
      # items of the run: the task's URL list has one line per item
      "$ZAVELON_CLI" --home "$home" task urls "$home/t.wrp" | wc -l >"$out.items" ;;
    wget2)
      (cd "$out" && "${timed[@]}" wget2 -q -r -l "$DEPTH" --robots=off -A jpg,png,gif \
        --max-threads=8 -P . "$url" >"$lf" 2>&1) ;;
    wget)
      (cd "$out" && "${timed[@]}" wget -q -r -l "$DEPTH" -e robots=off -A jpg,png,gif \
        -P . "$url" >"$lf" 2>&1) ;;
    httrack)
      # httrack counts the start page as level 1 and the pictures of a page
      # one level below it, so its depth is ours + 1.  -%! -A0 -%c0 lift its
      # built-in bandwidth and connection-rate caps; -p2 saves no pages.
      (cd "$out" && "${timed[@]}" httrack "$url" -O . -r$((DEPTH + 1)) -c8 -s0 -%! -A0 -%c0 \
        -p2 -q -%v0 -I0 '-*' '+*.html' '+*.jpg' '+*.png' '+*.gif' >"$lf" 2>&1) ;;
    *) die "unknown tool $tool" ;;
  esac
}

# Compares the saved set with the expected one: "ok" or "DIFF -m +e".
check_set() {
  local out=$1 missing extra
  missing=$(LC_ALL=C comm -13 <(saved_pictures "$out") "$EXPECTED" | wc -l)
  extra=$(LC_ALL=C comm -23 <(saved_pictures "$out") "$EXPECTED" | wc -l)
  if ((missing == 0 && extra == 0)); then echo ok; else echo "DIFF -$missing +$extra"; fi
}

median() { LC_ALL=C sort -g | awk '{a[NR]=$1} END {if (NR == 0) print "nan"; else if (NR % 2) print a[(NR+1)/2]; else print (a[NR/2]+a[NR/2+1])/2}'; }

label() {
  case $1 in
    zavelon) echo "Zavelon (size limit on)" ;;
    zavelon-nolimit) echo "Zavelon (size limit off)" ;;
    wget2) echo "wget2 (8 threads)" ;;
    wget) echo "wget (sequential)" ;;
    httrack) echo "httrack (8 sockets)" ;;
  esac
}

for latency in $LATENCIES; do
  if [[ $latency == 0 ]]; then
    port=$NGINX_PORT
  else
    start_proxy "$latency"
    port=$PROXY_PORT
  fi
  url="http://127.0.0.1:$port/index.html"
  log "latency $latency ms: $url"
  declare -A status=() methods=() failed=()
  res=$BENCH_WORK/res-$latency
  mkdir -p "$res"
  for round in $(seq 0 "$RUNS"); do
    for tool in $TOOLS; do
      [[ -n ${failed[$tool]:-} ]] && continue
      out=$BENCH_WORK/out/$tool-$round
      rm -rf "$BENCH_WORK/out"
      off=$(log_size)
      rc=0
      run_tool "$tool" "$url" "$out" || rc=$?
      m=$(log_methods_since "$off")
      if ((rc != 0)) && [[ $tool != wget* ]]; then
        # wget and wget2 exit 8 for any server error (the decoys are fine).
        log "$tool failed (exit $rc), see its log:"; tail -5 "$out.log" >&2 || true
        failed[$tool]=1
        status[$tool]="FAILED (exit $rc)"
        continue
      fi
      s=$(check_set "$out")
      read -r wall user sys rss < <(tail -1 "$out.time")
      items=$(cat "$out.items" 2>/dev/null || echo -)
      if ((round == 0)); then
        status[$tool]=$s
        log "$tool check run: $s, ${wall}s, requests $m, items $items"
      else
        [[ $s == ok ]] || status[$tool]=$s
        log "$tool run $round: ${wall}s"
      fi
      if ((round > 0 || RUNS == 0)); then
        echo "$wall $user $sys $rss $items $m" >>"$res/$tool"
      fi
      rm -rf "$out" "$out.home" "$out.time" "$out.items"
    done
  done

  load=$(cut -d' ' -f1-3 /proc/loadavg)
  ref=""
  [[ -s $res/zavelon-nolimit ]] && ref=$(cut -d' ' -f1 "$res/zavelon-nolimit" | median)
  table=$(
    echo
    echo "Latency $latency ms, depth $DEPTH, $N_EXPECTED pictures expected, median of $((RUNS > 0 ? RUNS : 1)) runs, load average at the end $load"
    echo
    echo "| Tool | Set | Wall s | Pictures/s | CPU s (user+sys) | Peak RSS MB | Requests | Time / Zavelon (limit off) |"
    echo "|---|---|---:|---:|---:|---:|---|---:|"
    for tool in $TOOLS; do
      f=$res/$tool
      if [[ ! -s $f ]]; then
        echo "| $(label "$tool") | ${status[$tool]:-not run} | | | | | | |"
        continue
      fi
      wall=$(cut -d' ' -f1 "$f" | median)
      cpu=$(awk '{print $2 + $3}' "$f" | median)
      rss=$(awk '{print $4 / 1024}' "$f" | median)
      # requests of the run whose wall time is the median one
      req=$(LC_ALL=C sort -g "$f" | awk -v n="$(wc -l <"$f")" 'NR == int((n + 1) / 2) {$1=$2=$3=$4=$5=""; sub(/^ +/, ""); print}')
      items=$(awk '{print $5}' "$f" | median)
      ratio="-"
      [[ -n $ref ]] && ratio=$(awk -v a="$wall" -v b="$ref" 'BEGIN {printf "%.2f", a / b}')
      # a tool that saved another set gets no rate: it did other work
      rate=-
      [[ ${status[$tool]} == ok ]] && rate=$(awk -v n="$N_EXPECTED" -v w="$wall" 'BEGIN {printf "%.0f", n / w}')
      printf '| %s | %s | %.2f | %s | %.2f | %.0f | %s | %s |\n' "$(label "$tool")" "${status[$tool]}" \
        "$wall" "$rate" "$cpu" "$rss" "$req" "$ratio"
      if [[ -n $SUMMARY ]]; then
        printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$latency" "$tool" "${status[$tool]}" "$wall" \
          "$cpu" "$rss" "$N_EXPECTED" "$items" "$req" >>"$SUMMARY"
      fi
    done
  )
  echo "$table"
  [[ -n $REPORT ]] && echo "$table" >>"$REPORT"
  unset status methods failed
  if [[ $latency != 0 ]]; then
    # stop this latency's proxy (the last pid started)
    kill "${BENCH_PIDS[-1]}" 2>/dev/null || true
    wait "${BENCH_PIDS[-1]}" 2>/dev/null || true
    unset 'BENCH_PIDS[-1]'
  fi
done

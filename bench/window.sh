#!/usr/bin/env bash
# The desktop program's window during the 100,000-item crawl of
# bench/scale.sh: does it stay responsive, does Stop answer at once, and how
# much memory does it take next to zavelon-cli on the same task?
#
#   bench/window.sh [--stop-after SECONDS] [--site "GENSITE ARGS"] [--report FILE]
#
# 1. zavelon-cli runs the task (--quiet); /usr/bin/time gives wall and peak RSS.
# 2. bench/window/window_latency runs the same task in the real main window
#    (offscreen), shown, while it scrolls and selects in the files list and
#    switches Log/Report five times a second; it gives the lateness of a
#    10 ms timer (the wait of any user action) and its own peak RSS.
# 3. The same again, with "Stop" pressed after --stop-after seconds
#    (default 10): how long the command takes to return.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

STOP_AFTER=10
SITE_ARGS="--sections 30 --fanout 10 --pics 300 --leaf-pics 0 --min-kb 10 --max-kb 12"
REPORT=""
while (($#)); do
  case $1 in
    --stop-after) STOP_AFTER=$2; shift 2 ;;
    --site) SITE_ARGS=$2; shift 2 ;;
    --report) REPORT=$2; shift 2 ;;
    -h|--help) sed -n '2,15p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) die "unknown argument: $1" ;;
  esac
done

BENCH_WORK=$(mktemp -d "${TMPDIR:-/tmp}/zav-window.XXXXXX")
chmod 755 "$BENCH_WORK"
trap bench_cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
say() { echo "$*"; [[ -z $REPORT ]] || echo "$*" >>"$REPORT"; }

ensure_packages nginx:nginx curl:curl /usr/bin/time:time || die "package installation failed"
BUILD=${BUILD_DIR:-$REPO_DIR/build-bench}
log "building zavelon-cli and window_latency (Release)"
cmake -S "$REPO_DIR" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZAVELON_BUILD_TESTS=OFF \
  -DZAVELON_BUILD_BENCH=ON >/dev/null || die "cmake configure failed"
cmake --build "$BUILD" --target zavelon-cli window_latency -j"${JOBS:-2}" >/dev/null || die "build failed"
CLI=$(find "$BUILD" -name zavelon-cli -type f -perm -u+x | head -1)
WINDOW=$(find "$BUILD" -name window_latency -type f -perm -u+x | head -1)

if [[ -n ${BENCH_SITE_CACHE:-} ]]; then
  SITE=$BENCH_SITE_CACHE/site-$(echo "3 $SITE_ARGS" | md5sum | cut -c1-8)
else
  SITE=$BENCH_WORK/site
fi
# shellcheck disable=SC2086
make_site "$SITE" --depth 3 $SITE_ARGS
start_nginx "$SITE/www" "$BENCH_WORK/nginx"
URL="http://127.0.0.1:$NGINX_PORT/index.html"

# Each run starts from a home of its own, as a new user's: the runs before
# would leave their 100,000-item task in the project folder (the window opens
# every task of its tree) and their pictures in the image library.
new_task() { # NAME: a fresh home with one task over the site; sets HOME_DIR and TASK
  HOME_DIR=$BENCH_WORK/home-$1
  TASK=$HOME_DIR/Images/Projects/$1.wrp
  rm -rf "$HOME_DIR" "$BENCH_WORK/out-$1"
  mkdir -p "$HOME_DIR/Images/Projects"
  "$CLI" --home "$HOME_DIR" settings show >/dev/null
  "$CLI" --home "$HOME_DIR" task new "$TASK" --url "$URL" --name "$1" --folder "$BENCH_WORK/out-$1/" \
    --depth 3 --mask "jpg, Saved" --mask "png, Saved" --mask "gif, Saved" >/dev/null
}

log "zavelon-cli run"
new_task cli
cli_out=$( { /usr/bin/time -f 'time %e %M' "$CLI" --home "$HOME_DIR" run "$TASK" --quiet >/dev/null; } 2>&1 | grep '^time' )
read -r _ cli_wall cli_rss <<<"$cli_out"
rm -rf "$BENCH_WORK/out-cli" "$HOME_DIR"

window_run() { # NAME [ARGS]: prints the program's key=value line
  local name=$1; shift
  new_task "$name"
  QT_QPA_PLATFORM=offscreen "$WINDOW" --home "$HOME_DIR" --task "$TASK" "$@" 2>"$BENCH_WORK/$name.err" | tail -1
  rm -rf "$BENCH_WORK/out-$name" "$HOME_DIR"
}
value() { tr ' ' '\n' <<<"$1" | awk -F= -v k="$2" '$1 == k {print $2}'; }

log "window, whole run"
full=$(window_run shown)
log "window, Stop after $STOP_AFTER s"
stopped=$(window_run stopped --stop-after "$STOP_AFTER")

say ""
say "The window during the 100,000-item crawl (latency 0, size limit on, task shown)"
say ""
say "| Run | Wall s | Items | Timer lateness p50 / p99 / max ms | Stop returns in ms | Peak RSS MB | RSS / zavelon-cli |"
say "|---|---:|---:|---|---:|---:|---:|"
cli_mb=$(awk -v k="$cli_rss" 'BEGIN {printf "%.0f", k / 1024}')
say "| zavelon-cli run | $cli_wall | - | - | - | $cli_mb | 1.00 |"
for line in "$full" "$stopped"; do
  label="window, whole run"
  [[ $line == "$stopped" ]] && label="window, Stop after $STOP_AFTER s"
  rss=$(value "$line" peak_rss_mb)
  say "| $label | $(value "$line" wall_s) | $(value "$line" items) | $(value "$line" late_p50_ms) / $(value "$line" late_p99_ms) / $(value "$line" late_max_ms) | $(value "$line" stop_ms) | $rss | $(awk -v a="$rss" -v b="$cli_mb" 'BEGIN {printf "%.2f", a / b}') |"
done

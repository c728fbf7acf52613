#!/usr/bin/env bash
# Start-up benchmark: from exec to the first request, Zavelon against wget2.
#
#   bench/startup.sh [--runs N] [--cli PATH]
#
# A one-page site without links, served on 127.0.0.1 by bench/site/startup.py,
# is crawled by `zavelon-cli run` (its task made beforehand, untimed) and by
# wget2, in turns, each into a fresh folder; the first round only warms the
# caches. Prints the medians of the time until the server has read the first
# request line and of the whole run, and their ratio to wget2's.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

RUNS=11
CLI=""
while (($#)); do
  case $1 in
    --runs) RUNS=$2; shift 2 ;;
    --cli) CLI=$2; shift 2 ;;
    -h|--help) sed -n '2,10p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) die "unknown argument: $1" ;;
  esac
done

ensure_packages wget2:wget2 || die "package installation failed"
if [[ -n $CLI ]]; then
  ZAVELON_CLI=$CLI
else
  log "building zavelon-cli (Release)"
  build_zavelon
fi
"$PY" "$BENCH_DIR/site/startup.py" --runs "$RUNS" --cli "$ZAVELON_CLI"

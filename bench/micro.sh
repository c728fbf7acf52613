#!/usr/bin/env bash
# Builds (Release) and runs every micro-benchmark of bench/micro/.
#
#   bench/micro.sh [--build DIR] [--out DIR] [--only NAME] [BENCHMARK ARGS...]
#
# Each bench/micro/<name>_bench.cpp is one Google Benchmark executable.  The
# console table of each goes to stdout, its JSON to --out (default
# <build>/micro-results/<name>.json).  Arguments after the options are
# passed to every benchmark (for example --benchmark_filter=Find).
set -euo pipefail
source "$(dirname "$0")/lib.sh"

BUILD=${BUILD_DIR:-$REPO_DIR/build-bench}
OUT=""
ONLY=""
while (($#)); do
  case $1 in
    --build) BUILD=$2; shift 2 ;;
    --out) OUT=$2; shift 2 ;;
    --only) ONLY=$2; shift 2 ;;
    -h|--help) sed -n '2,10p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) break ;;
  esac
done
OUT=${OUT:-$BUILD/micro-results}

if ! dpkg -s libbenchmark-dev >/dev/null 2>&1; then
  # no command to probe for: a library package
  ensure_packages /nonexistent/benchmark:libbenchmark-dev || die "cannot install libbenchmark-dev"
fi

mapfile -t names < <(cd "$BENCH_DIR/micro" && ls -1 *_bench.cpp 2>/dev/null | sed 's/\.cpp$//' | LC_ALL=C sort)
[[ -n $ONLY ]] && names=("$ONLY")
((${#names[@]})) || die "no micro-benchmarks in $BENCH_DIR/micro"

log "configuring $BUILD (Release, benchmarks on)"
cmake -S "$REPO_DIR" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DZAVELON_BUILD_BENCH=ON -DZAVELON_BUILD_TESTS=OFF >/dev/null || die "cmake configure failed"
log "building ${names[*]}"
cmake --build "$BUILD" -j"${JOBS:-2}" --target "${names[@]}" >/dev/null || die "build failed"

mkdir -p "$OUT"
rc=0
for name in "${names[@]}"; do
  exe=$(find "$BUILD" -name "$name" -type f -perm -u+x | head -1)
  [[ -x $exe ]] || { log "$name: executable not found"; rc=1; continue; }
  echo "== $name"
  "$exe" --benchmark_out="$OUT/$name.json" --benchmark_out_format=json "$@" || { log "$name failed"; rc=1; }
done
log "JSON results in $OUT"
exit $rc

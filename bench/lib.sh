# Shared pieces of the crawl benchmarks: sourced by crawl.sh and scale.sh.
# Everything listens on 127.0.0.1 only and is stopped by bench_cleanup.

BENCH_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
REPO_DIR=$(cd "$BENCH_DIR/.." && pwd)
PY=${PYTHON:-python3}

BENCH_PIDS=()
bench_cleanup() {
  local pid
  for pid in "${BENCH_PIDS[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  for pid in "${BENCH_PIDS[@]}"; do
    wait "$pid" 2>/dev/null || true
  done
  BENCH_PIDS=()
  if [[ -n ${BENCH_WORK:-} && -z ${BENCH_KEEP:-} && -d $BENCH_WORK ]]; then
    rm -rf "$BENCH_WORK"
  fi
}

log() { printf '[%s] %s\n' "$(date +%T)" "$*" >&2; }
die() { log "error: $*"; exit 1; }

# apt-get install of Debian packages whose command is missing.  The package
# scripts must not start a system-wide nginx: services are kept from starting
# while we install (a policy-rc.d that is already there is left alone).
ensure_packages() {
  local missing=() pair cmd pkg
  for pair in "$@"; do
    cmd=${pair%%:*} pkg=${pair#*:}
    command -v "$cmd" >/dev/null 2>&1 || [[ -x $cmd ]] || missing+=("$pkg")
  done
  ((${#missing[@]})) || return 0
  log "installing ${missing[*]}"
  local sudo=
  ((EUID == 0)) || sudo=sudo
  local policy=/usr/sbin/policy-rc.d made_policy=
  if [[ ! -e $policy ]]; then
    printf '#!/bin/sh\nexit 101\n' | $sudo tee "$policy" >/dev/null && $sudo chmod +x "$policy" && made_policy=1
  fi
  $sudo apt-get update -qq >/dev/null || true
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
  local rc=$?
  [[ -n $made_policy ]] && $sudo rm -f "$policy"
  return $rc
}

free_port() {
  "$PY" -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'
}

# make_site DIR ARGS...: writes the site (cached by its arguments), its
# expected picture list DIR/expected.txt and DIR/stats.json.
make_site() {
  local dir=$1; shift
  local key
  key=$(printf '%s\n' "$@" | cat - "$BENCH_DIR/site/gensite.py" | md5sum | cut -c1-12)
  if [[ -f $dir/.key && $(cat "$dir/.key") == "$key" ]]; then
    return 0
  fi
  rm -rf "$dir"
  mkdir -p "$dir"
  "$PY" "$BENCH_DIR/site/gensite.py" --out "$dir/www" --expected "$dir/expected.txt" \
    --stats "$dir/stats.json" "$@" 2>/dev/null || die "site generation failed"
  echo "$key" >"$dir/.key"
}

# start_nginx ROOT PREFIX: serves ROOT on 127.0.0.1:$NGINX_PORT, log in
# PREFIX/access.log ("METHOD STATUS BYTES URI END-TIME DURATION" per line).
start_nginx() {
  local root=$1 prefix=$2
  mkdir -p "$prefix/tmp"
  NGINX_PORT=$(free_port)
  NGINX_LOG=$prefix/access.log
  local user_line=
  ((EUID == 0)) && user_line="user root root;"
  local mime=/etc/nginx/mime.types
  [[ -f $mime ]] || die "nginx's mime.types not found"
  cat >"$prefix/nginx.conf" <<EOF
$user_line
daemon off;
worker_processes 1;
pid $prefix/nginx.pid;
error_log $prefix/error.log warn;
events { worker_connections 4096; }
http {
  include $mime;
  default_type application/octet-stream;
  log_format bench '\$request_method \$status \$body_bytes_sent \$request_uri \$msec \$request_time';
  access_log $NGINX_LOG bench;
  client_body_temp_path $prefix/tmp/body;
  proxy_temp_path $prefix/tmp/proxy;
  fastcgi_temp_path $prefix/tmp/fastcgi;
  uwsgi_temp_path $prefix/tmp/uwsgi;
  scgi_temp_path $prefix/tmp/scgi;
  sendfile on;
  tcp_nopush on;
  tcp_nodelay on;
  keepalive_timeout 65s;
  keepalive_requests 1000000;
  server_tokens off;
  # mtime-size tags collide between generated pages of one size; wget2
  # would take such pages for copies of each other and skip them.
  etag off;
  server {
    listen 127.0.0.1:$NGINX_PORT backlog=4096;
    root $root;
    index index.html;
  }
}
EOF
  nginx -p "$prefix" -c "$prefix/nginx.conf" -e "$prefix/error.log" &
  BENCH_PIDS+=($!)
  local i
  for i in $(seq 100); do
    curl -fs -o /dev/null "http://127.0.0.1:$NGINX_PORT/index.html" && return 0
    sleep 0.1
  done
  die "nginx did not start (see $prefix/error.log)"
}

# start_proxy DELAY_MS: a delaying proxy in front of nginx; sets PROXY_PORT.
start_proxy() {
  local delay=$1 fifo
  fifo=$(mktemp -u "$BENCH_WORK/proxy.XXXX")
  mkfifo "$fifo"
  "$PY" "$BENCH_DIR/site/delayproxy.py" --listen 0 --upstream "$NGINX_PORT" \
    --delay-ms "$delay" ${CONNECT_MS:+--connect-ms "$CONNECT_MS"} >"$fifo" &
  BENCH_PIDS+=($!)
  local line
  read -r -t 20 line <"$fifo" || die "proxy did not start"
  rm -f "$fifo"
  PROXY_PORT=${line#ready }
}

# Lines of the access log written since offset $1 (bytes), counted by method.
log_methods_since() {
  local from=$1
  tail -c +"$((from + 1))" "$NGINX_LOG" | awk '{n[$1]++} END {for (m in n) print m "=" n[m]}' | LC_ALL=C sort | paste -sd' ' | sed 's/^$/-/'
}
log_size() { stat -c %s "$NGINX_LOG" 2>/dev/null || echo 0; }

# Sorted base names of the pictures saved under a folder.
saved_pictures() {
  find "$1" -type f \( -name '*.jpg' -o -name '*.png' -o -name '*.gif' \) -printf '%f\n' | LC_ALL=C sort
}

# Builds zavelon-cli (Release) in $BUILD_DIR when it is missing or stale.
build_zavelon() {
  local build=${BUILD_DIR:-$REPO_DIR/build-bench}
  if [[ ! -f $build/CMakeCache.txt ]]; then
    cmake -S "$REPO_DIR" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DZAVELON_BUILD_TESTS=OFF >/dev/null || die "cmake configure failed"
  fi
  cmake --build "$build" --target zavelon-cli -j"${JOBS:-2}" >/dev/null || die "zavelon-cli build failed"
  ZAVELON_CLI=$build/src/cli/zavelon-cli
  [[ -x $ZAVELON_CLI ]] || ZAVELON_CLI=$(find "$build" -name zavelon-cli -type f -perm -u+x | head -1)
  [[ -x $ZAVELON_CLI ]] || die "zavelon-cli not found in $build"
}

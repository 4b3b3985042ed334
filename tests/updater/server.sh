#!/usr/bin/env bash
# Starts or stops the updater tests' loopback HTTP server: server.sh start|stop <dir>
set -u
dir=$2
case "$1" in
  start)
    mkdir -p "$dir/www"
    if [ -f "$dir/pid" ] && kill -0 "$(cat "$dir/pid")" 2>/dev/null; then
      kill "$(cat "$dir/pid")" 2>/dev/null
    fi
    rm -f "$dir/port" "$dir/pid"
    setsid python3 "$(dirname "$0")/test_server.py" "$dir" </dev/null >"$dir/log" 2>&1 &
    echo $! >"$dir/pid"
    for _ in $(seq 100); do
      [ -s "$dir/port" ] && exit 0
      sleep 0.1
    done
    echo "the test server did not start" >&2
    exit 1
    ;;
  stop)
    [ -f "$dir/pid" ] && kill "$(cat "$dir/pid")" 2>/dev/null
    rm -f "$dir/pid" "$dir/port"
    exit 0
    ;;
esac
exit 2

#!/usr/bin/env bash
# Runs a command with DISPLAY set to a private Xvfb server, started and stopped here.
set -u
display=""
for n in $(seq 90 140); do
  if [ ! -e /tmp/.X11-unix/X$n ] && [ ! -e /tmp/.X$n-lock ]; then display=":$n"; break; fi
done
[ -n "$display" ] || { echo "no free X display" >&2; exit 1; }
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill $xvfb_pid 2>/dev/null; wait $xvfb_pid 2>/dev/null' EXIT
for _ in $(seq 100); do
  [ -e /tmp/.X11-unix/X${display#:} ] && break
  sleep 0.05
done
DISPLAY="$display" "$@"

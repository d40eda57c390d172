#!/usr/bin/env bash
# Installs what is missing, builds and starts the desktop program. Without --port it runs on
# the simulated sensors; every argument is passed on to k7700 (see README).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh default
args=("$@")
if [[ " ${args[*]-} " != *" --port "* && " ${args[*]-} " != *" --simulate"* ]]; then
  args=(--simulate "${args[@]}")
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting on a virtual X display (xvfb-run)."
  exec xvfb-run -a build/app/k7700 "${args[@]}"
fi
exec build/app/k7700 "${args[@]}"

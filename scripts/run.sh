#!/usr/bin/env bash
# Installs what is missing, builds and starts the desktop program with the arguments given
# (see README): without --port or --simulate it opens the port kept in K7700.ini, and asks for
# one on the first start. The program runs in the folder this script is started from, so that
# is where K7700.ini is kept.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
(cd "$repo" && scripts/setup.sh && scripts/build.sh default)
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting on a virtual X display (xvfb-run)."
  exec xvfb-run -a "$repo/build/app/k7700" "$@"
fi
exec "$repo/build/app/k7700" "$@"

#!/bin/sh
# The web remote's figures: request -> frame on the lines (median and worst
# of 50), state change -> page update, the service's idle CPU and RSS with one
# page open, and the first paint on a phone-size viewport, in Debian's
# chromium (headless). Usage: bench/web_remote_figures.sh build/zulmarin
set -e
here=$(dirname "$0")
exec /usr/bin/python3 "$here/../tests/browser/web_remote_browser.py" "${1:-build/zulmarin}" \
    "$(mktemp -d)" --figures

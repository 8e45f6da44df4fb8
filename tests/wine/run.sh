#!/bin/sh
# Runs the Wine scenarios with the default build paths; extra arguments go to the runner
# (scenario name patterns, -j 2, --list, --installer PATH, --driver PATH, ...).
exec /usr/bin/python3 "$(dirname "$0")/runner.py" "$@"

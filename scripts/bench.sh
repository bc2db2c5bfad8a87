#!/usr/bin/env bash
# Runs every benchmark program of the default build; each prints its own figures.
set -euo pipefail
cd "$(dirname "$0")/.."
shopt -s nullglob
for b in build/default/bin/bench_*; do
  echo "== $(basename "$b")"
  "$b"
done

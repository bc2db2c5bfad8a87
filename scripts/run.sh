#!/usr/bin/env bash
# Starts Orvane in ./run, creating it with the shipped sample listings when absent.
set -euo pipefail
cd "$(dirname "$0")/.."
bin=$PWD/build/default/bin/orvane
if [[ ! -x $bin ]]; then
  echo "The Orvane window program is not built yet (its main window has not landed)."
  echo "Meanwhile: build/default/bin/orvane-cli --help"
  exit 0
fi
mkdir -p run
if [[ -d data/sample ]]; then
  [[ -e run/satcodx.imp ]] || cp data/sample/satcodx.imp run/
  mkdir -p run/import
  for f in data/sample/import/*; do [[ -e run/import/$(basename "$f") ]] || cp "$f" run/import/; done
fi
cd run
exec "$bin" "$@"

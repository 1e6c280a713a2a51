#!/usr/bin/env bash
# Installs what is missing, builds a Release build into build/ and runs the main job on the
# bundled samples. Starts the desktop application afterwards when a display is present.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DLUMIVEX_BUILD_TESTS=OFF
cmake --build build

cli=build/bin/lumivex-cli
"$cli" --version
"$cli" info samples/burst/*.jpg

# The main job: enhance the bundled burst of stills 2x and report each image's registration.
"$cli" enhance samples/burst/hubble_*.jpg -o build/sample-enhanced.jpg

if [[ -n "${DISPLAY:-}" && -z "${CI:-}" && -t 1 ]]; then
    build/bin/lumivex &
fi

#!/usr/bin/env bash
# Sets everything up and shows the bundled example statement as fields.
set -euo pipefail
cd "$(dirname "$0")"
tools/setup.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo
echo
echo "The descriptor list of examples/statement.txt:"
echo
exec build/cli/quillmark-text --list "$(cat examples/statement.txt)"

#!/usr/bin/env bash
# Renders the Quillmark window off screen to PNG pictures of the field strip
# in a handful of states (a short FORMAT, a long one scrolled and at its
# end, an invalid field, a group with its repeated sample, the editor in the
# sample row, the status line under the strip, the items the WRITEs give
# the fields, at scale 1 and 2).
#
#   tools/render_pictures.sh [OUTPUT_DIR]     (default: build/pictures)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$top/build/pictures}
"$top/tools/setup.sh" dev
QT_QPA_PLATFORM=offscreen "$top/build/tools/pictures/quillmark-pictures" "$out"
# The items over the fields at a scale factor of 2 too, as on a dense screen.
QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR=2 "$top/build/tools/pictures/quillmark-pictures" "$out/scale-2" items

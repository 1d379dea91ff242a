#!/usr/bin/env bash
# Renders the PNG and ICO images of the program from their SVG sources in images/.
# Needs rsvg-convert (librsvg2-bin) and ImageMagick; the results are kept in the repository,
# so building the program needs neither.
set -euo pipefail
cd "$(dirname "$0")/images"

for size in 16 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" brenwick.svg -o "brenwick-$size.png"
done
# The About picture is an opaque 24-bit image, as the dialog shows it on its own background.
rsvg-convert about.svg | convert - -background '#f0f0f0' -alpha remove -alpha off PNG24:about.png
convert brenwick-16.png brenwick-24.png brenwick-32.png brenwick-48.png brenwick-256.png brenwick.ico

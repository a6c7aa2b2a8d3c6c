#!/usr/bin/env bash
# Times `cardprint print` on the bundled example card (the whole process,
# median of several runs) next to what a user would otherwise reach for:
# ImageMagick separating the same image into CMYK plates. Reports both times,
# their ratio and the peak memory of each, then the peak memory of a
# 100-card batch, which must not grow with the number of cards.
#
# Targets: cardprint at most half of ImageMagick's time, at most 16 MiB for
# a one-card job, and a 100-card batch no larger than a one-card job.
#
# Usage: bench/print_vs_imagemagick.sh [RUNS]   (default 9 runs)
# Builds the release preset when build/release has no cardprint yet; set
# CARDPRINT to use another binary. Needs ImageMagick (Debian's imagemagick).
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-9}
cardprint=${CARDPRINT:-build/release/host/cardprint/cardprint}
if [[ ! -x "$cardprint" ]]; then
  cmake --preset release >/dev/null
  cmake --build --preset release --target cardprint >/dev/null
fi
convert=/usr/bin/convert
[[ -x "$convert" ]] || convert=$(command -v convert || true)
if [[ -z "$convert" ]]; then
  echo "ImageMagick's convert is missing: apt-get install imagemagick" >&2
  exit 1
fi
image=host/cardprint/examples/id-card.png
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Runs a command $runs times; prints the median wall time in milliseconds
# and the largest peak resident memory in KiB.
measure() {
  local times=() peak=0
  for ((i = 0; i < runs; i++)); do
    local start end
    start=$(date +%s%N)
    /usr/bin/time -f '%M' -o "$work/memory" "$@" >/dev/null
    end=$(date +%s%N)
    times+=($(((end - start) / 1000)))
    local memory
    memory=$(tail -n 1 "$work/memory")
    ((memory > peak)) && peak=$memory
  done
  local median
  median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((runs + 1) / 2))p")
  echo "$median $peak"
}

read -r card_us card_kib < <(measure "$cardprint" print "$image" -o "$work/card.prn")
read -r magick_us magick_kib < <(measure "$convert" "$image" -resize '1024x656!' -colorspace CMYK \
  -separate "$work/plate%d.pgm")
for ((i = 0; i < 100; i++)); do echo "$PWD/$image"; done >"$work/batch.csv"
read -r batch_us batch_kib < <(measure "$cardprint" print --quiet --batch "$work/batch.csv" -o /dev/null)

awk -v runs="$runs" -v cu="$card_us" -v ck="$card_kib" -v mu="$magick_us" -v mk="$magick_kib" \
  -v bu="$batch_us" -v bk="$batch_kib" 'BEGIN {
  ratio = cu / mu
  printf "example card, median of %d runs (whole process)\n", runs
  printf "  cardprint print           %8.1f ms   peak %6.1f MiB\n", cu / 1000, ck / 1024
  printf "  ImageMagick CMYK plates   %8.1f ms   peak %6.1f MiB\n", mu / 1000, mk / 1024
  printf "  ratio cardprint / ImageMagick: %.2f (target at most 0.50): %s\n", ratio, ratio <= 0.5 ? "met" : "MISSED"
  printf "  one-card peak memory target 16 MiB: %s\n", ck <= 16 * 1024 ? "met" : "MISSED"
  printf "100-card batch               %8.1f ms   peak %6.1f MiB (one card: %.1f MiB): %s\n",
         bu / 1000, bk / 1024, ck / 1024, bk <= ck * 1.05 + 256 ? "flat" : "GROWS"
}'

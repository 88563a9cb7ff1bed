#!/usr/bin/env bash
# Generates the demo CD's spoken cues with espeak-ng and sox (Debian packages espeak-ng, sox):
# 22,050 Hz, 16-bit mono PCM wave files, normalised, with a short silence trimmed off each end;
# no dither, so the same tools give the same bytes.
# The results are committed under demo/cues/; the build copies them next to the pack and does not
# need this script.
#   usage: tools/gencues/gencues.sh [OUTDIR]     (default demo/cues)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
out=${1:-$root/demo/cues}
for tool in espeak-ng sox; do
  command -v "$tool" >/dev/null || { echo "gencues: $tool is missing (apt-get install $tool)" >&2; exit 2; }
done
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# file name, then the words spoken
cues=(
  "VocInstallInitialize.wav|Welcome. Preparing the installation of Hexbreaker demo."
  "VocInstallStandby.wav|Please stand by while the files are copied."
  "VocInstallComplete.wav|Installation complete."
  "VocHarddiskNotenogh.wav|Not enough hard disk space. Please select another drive."
)
for cue in "${cues[@]}"; do
  name=${cue%%|*}
  words=${cue#*|}
  espeak-ng -v en-us -s 150 -p 45 -w "$work/raw.wav" "$words"
  sox -D -R "$work/raw.wav" -r 22050 -b 16 -c 1 -e signed-integer "$out/$name" \
    silence 1 0.02 0.5% reverse silence 1 0.02 0.5% reverse norm -3 pad 0.05 0.1
  echo "gencues: $out/$name"
done

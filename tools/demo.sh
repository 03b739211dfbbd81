#!/usr/bin/env bash
# Renders the demo signal through a few Tavo sounds: tools/demo.sh OUTDIR RENDERER PLUGIN
# Uses the presets in System/Presets/*.tavo when there are any, else built-in settings. Every
# sound gets the demo's drums on the sidechain inputs 3+4; the sounds played from notes also get
# the chord's arpeggio on MIDI channel 3. Makes a spectrogram PNG beside every file when sox is
# installed, and pictures of the editor showing each preset at 100 % and 200 %
# ("<name>-editor-100.png", "<name>-editor-200.png").
set -euo pipefail

if [ $# -ne 3 ]; then
  echo "usage: tools/demo.sh OUTDIR RENDERER PLUGIN" >&2
  exit 2
fi
OUTDIR="$1"
RENDERER="$2"
PLUGIN="$3"
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
SIGNAL_TOOL="${TAVO_DEMO_SIGNAL:-$(dirname "$RENDERER")/tavo-demo-signal}"
# The editor's pictures: the picture program beside the renderer, the skins and images in the
# build's resource folder beside the plug-in's folder.
SHOT_TOOL="${TAVO_EDITOR_SHOT:-$(dirname "$RENDERER")/tavo-editor-shot}"
RESOURCES="${TAVO_RESOURCES:-$(dirname "$(dirname "$PLUGIN")")/Resources}"
TEMPO=120

die() { echo "demo: error: $*" >&2; exit 1; }
[ -x "$RENDERER" ] || die "renderer not found: $RENDERER"
[ -f "$PLUGIN" ] || die "plug-in not found: $PLUGIN"
[ -x "$SIGNAL_TOOL" ] || die "demo-signal generator not found: $SIGNAL_TOOL (build tavo-demo-signal)"
[ -x "$SHOT_TOOL" ] || die "editor picture program not found: $SHOT_TOOL (build tavo-editor-shot)"
[ -d "$RESOURCES" ] || die "resource folder not found: $RESOURCES"
mkdir -p "$OUTDIR"
OUTDIR="$(cd "$OUTDIR" && pwd)"

# Settings named like presets: KEY=VALUE pairs in normalised values. Enumerations take
# item / (items - 1): filter types Japan 0, S.V.F 1/3, Fatty 2/3, Comb 1; Japan has 22 modes,
# S.V.F 10, Fatty 4, Comb 2; drive modes 7. Output gain follows 2 v^3, so the driven sounds take it
# down to stay below full scale in the 24-bit files.
SOUNDS=(
  "Japan low pass sweep|F1Type=0 F1Mode=0.047619 F1Cutoff=0.6 F1Res=0.6 F1FM=0.8 F1FMSource=0 F2Active=0"
  "Fatty drive|F1Type=0.666667 F1Mode=0 F1Cutoff=0.6 F1Res=0.5 DriveActive=1 DriveMode=0 DriveAmount=0.6 Gain=0.65 F2Active=0"
  "Comb|F1Type=1 F1Mode=1 F1Cutoff=0.55 F1Res=0.7 F2Active=0"
  "SVF band pass pair|F1Type=0.333333 F1Mode=0.444444 F1Cutoff=0.4 F1Res=0.5 F1Pan=0.2 F2Type=0.333333 F2Mode=0.444444 F2Cutoff=0.7 F2Res=0.5 F2Pan=0.8 FilterLayout=1"
  "Shredder after low pass|F1Type=0.333333 F1Mode=0 F1Cutoff=0.7 F1Res=0.3 DriveActive=1 DriveMode=0.666667 DriveAmount=0.5 DrivePre=0 Gain=0.55 F2Active=0"
)

# Sounds played from MIDI notes. Channel 3 notes set filter 1's cutoff in every sound, so only
# these get the arpeggio: it would drag the cutoff of a sweep or a fixed filter to the notes.
NOTE_PLAYED=("Note Played Comb" "Comb")

plays_notes() {  # name
  local played
  for played in "${NOTE_PLAYED[@]}"; do
    [ "$played" = "$1" ] && return 0
  done
  return 1
}

slug() { tr '[:upper:]' '[:lower:]' <<<"$1" | tr -cs 'a-z0-9' '-' | sed 's/^-*//; s/-*$//'; }

spectrogram() {  # file, title
  if command -v sox >/dev/null 2>&1; then
    sox "$1" -n spectrogram -t "$2" -o "${1%.*}.png" || echo "demo: warning: no spectrogram for $1" >&2
  fi
}

INPUT="$OUTDIR/demo-input.wav"
DRUMS="$OUTDIR/demo-drums.wav"
NOTES="$OUTDIR/demo-notes.mid"
"$SIGNAL_TOOL" "$INPUT" --drums "$DRUMS" --notes "$NOTES"
spectrogram "$INPUT" "Demo input"
echo "input: $INPUT (sidechain: $DRUMS, notes: $NOTES)"

render() {  # name, renderer options...
  local name="$1"; shift
  local out; out="$OUTDIR/$(slug "$name").wav"
  local notes=()
  if plays_notes "$name"; then notes=(--midi "$NOTES"); fi
  echo "rendering \"$name\""
  "$RENDERER" --plugin "$PLUGIN" --tempo "$TEMPO" --tail 1 --sidechain "$DRUMS" ${notes[@]+"${notes[@]}"} \
    "$@" "$INPUT" "$out"
  spectrogram "$out" "$name"
}

# At 100 % and 200 %, showing the modulation of the Transmod source with the most destinations.
editor_picture() {  # name, [preset file]
  local preset=()
  if [ $# -gt 1 ]; then preset=(--preset "$2"); fi
  local zoom
  for zoom in 100 200; do
    "$SHOT_TOOL" "$RESOURCES" "$OUTDIR/$(slug "$1")-editor-$zoom.png" --scale "$((zoom / 100))" \
      --transmod busiest ${preset[@]+"${preset[@]}"}
  done
}

shopt -s nullglob
PRESETS=("$ROOT"/System/Presets/*.tavo)
shopt -u nullglob
if [ ${#PRESETS[@]} -gt 0 ]; then
  for preset in "${PRESETS[@]}"; do
    render "$(basename "${preset%.tavo}")" --preset "$preset"
    editor_picture "$(basename "${preset%.tavo}")" "$preset"
  done
else
  for sound in "${SOUNDS[@]}"; do
    name="${sound%%|*}"
    args=()
    for setting in ${sound#*|}; do args+=(--set "$setting"); done
    render "$name" "${args[@]}"
  done
  editor_picture "default"
fi

echo
echo "demo files in $OUTDIR:"
ls -1 "$OUTDIR"

#!/bin/sh
# Stand-in for the AS assembler: console output and error log shaped like the real ones.
# Every line holding the word FEHLER in the source or in a file it includes is reported as an
# error; a clean run leaves no log.
# Each call is recorded in runs.txt beside the stand-in's bin directory.
arg="$1"
src="$arg"
[ -f "$src" ] || src=$(find . -maxdepth 1 -iname "$arg" | head -n 1)
base="${arg%.*}"
log="$base.log"
rm -f "$log"
lines=0
[ -n "$src" ] && [ -f "$src" ] && lines=$(wc -l < "$src")
printf 'Assembling %s\n' "$arg"
printf 'PASS 1\n'
printf '%s(%d)\n' "$arg" $((lines + 1))
errors=0
report() {  # file, name in the log
  for n in $(grep -n 'FEHLER' "$1" | cut -d: -f1); do
    printf '> > > %s(%d):1: error: unknown instruction\n' "$2" "$n" >> "$log"
    errors=$((errors + 1))
  done
}
if [ -n "$src" ] && [ -f "$src" ]; then
  report "$src" "$arg"
  for inc in $(sed -n 's/^[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$src"); do
    [ -f "$inc" ] && report "$inc" "$(basename "$inc")"
  done
fi
printf '\n0.00 seconds assembly time\n\n'
printf '%7d lines source file\n' $((lines + 1))
printf '      1 pass\n'
if [ "$errors" -eq 1 ]; then printf '      1 error\n'; else printf '%7d errors\n' "$errors"; fi
printf '      0 warnings\n'
printf 'ARG=%s ASCMD=%s ERRORS=%d\n' "$arg" "$ASCMD" "$errors" >> "$(dirname "$0")/../runs.txt"
[ "$errors" -eq 0 ] || exit 2

#!/bin/sh
# Regenerates the captures of this directory that come from today's assembler: its console
# output (standard output and error together) and its error log, run the way the program runs
# it (an option file in ASCMD). The assembler is $KODRILL_ASL, else asl on PATH.
# Usage: sh make-captures.sh   (takes about ten seconds; the sources are made in a scratch dir)
set -e
ASL=${KODRILL_ASL:-$(command -v asl || true)}
[ -x "$ASL" ] || { echo "asl not found: set KODRILL_ASL or put asl on PATH" >&2; exit 1; }
OUT=$(cd "$(dirname "$0")" && pwd)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cd "$WORK"
printf -- '-L -E\r\n-CPU 6811\r\n' > test.par

# capture NAME LANG [asl options]: NAME.out, and NAME.log when there were messages
capture() {
  name=$1 lang=$2
  shift 2
  rm -f test.log
  ASCMD=@test.par LANG=$lang LC_ALL=$lang "$ASL" "$@" test.asm > "$OUT/$name.out" 2>&1 || true
  if [ -f test.log ]; then cp test.log "$OUT/$name.log"; else rm -f "$OUT/$name.log"; fi
}

# Messages from IRP, IRPC, macro and REPT expansions; arguments with quotes, "$" and digits.
# The forward reference asks for a second pass that the errors prevent: a console line with
# umlauts in German.
cat > test.asm <<'ASM'
; errors and warnings inside IRP, IRPC, macro and REPT expansions
        include "irp.inc"
        org     $1000
        ldaa    #later
        irp     val, $12, 'a', $1234
        ldaa    #val
        endm
        irp     v, (1+2)*300, ': error: x', "(1): warning: y"
        warning "im IRP"
        ldab    #v
        endm
store   macro   arg
        ldaa    #arg
        endm
        store   $123
        rept    1
        irp     x, 400
        ldaa    #x
        endm
        endm
later   equ     1
        end
ASM
cat > irp.inc <<'ASM'
; IRPC over a quote, a dollar sign and a digit
        irpc    ch, "a'$9"
        fooinstr
        endm
ASM
capture irp C
capture irp_de850 de_DE -codepage 850
capture irp_deutf8 de_DE.UTF-8

# Includes: one in the middle of the main file (long enough for timed progress lines before
# and after it), nested ones, the same one twice; a forward reference makes two passes.
lines() { awk -v n="$1" 'BEGIN { for (i = 0; i < n; i++) print (i % 40000 ? "        nop" : "        org $1000") }'; }
{
  echo "; includes"
  echo "start:  ldaa    #FWD"
  lines 800000
  echo '        include "big.inc"'
  lines 400000
  echo '        include "small.inc"'
  echo '        include "outer.inc"'
  echo '        include "small.inc"'
  echo "FWD     equ     1"
  echo "        end     start"
} > test.asm
lines 400000 > big.inc
printf '; small\n        nop\n' > small.inc
printf '; outer\n        include "inner.inc"\n        nop\n' > outer.inc
printf '; inner\n        nop\n        nop\n' > inner.inc
capture includes C

#!/usr/bin/env python3
"""Regenerates ../ExtendedWordLists.cpp: for the common processors (FAMILIES below), the
directives and instruction words that the assembler asl accepts.

    probe_asl.py [--asl PATH] [--cache FILE] [--jobs N] [CPU ...]

asl is taken from --asl, KODRILL_ASL or PATH. Nothing is written from memory: candidates are every
letter word of up to four letters, the upper-case words inside the asl program file, and words
found so far extended by one more letter or digit. A candidate that asl does not call an "unknown
instruction" is then assembled with each operand shape below; it is listed as an instruction when
asl takes one of them without any message (an instruction of a sibling processor never passes).
Instructions that take a size ("MOVE.L") are listed with each size asl takes. Directives are the
words every processor knows (asl's own pseudo-operations) and the family words below; those asl
knows only inside a macro or a section (ENDM, PUBLIC, ...) the highlighter adds itself. --cache
keeps the probe results (JSON), so that the output can be rebuilt without probing again.
"""
import argparse
import itertools
import json
import os
import re
import shutil
import string
import subprocess
import sys
import tempfile
from concurrent.futures import ProcessPoolExecutor

HERE = os.path.dirname(os.path.abspath(__file__))
OUTPUT = os.path.join(HERE, "..", "ExtendedWordLists.cpp")
SENTINEL = "QZQZQZ"  # never an instruction: every probe line is followed by it
# Operand shapes that get most instructions past the operand count check.
OPERANDS = [
    "", "0", "1", "0,0", "1,0", "0,0,0", "0,0,0,0", "#0", "#1", "#0,0", "#0,0,0", "(0)", "@0", "@a", "@r4",
    "a", "b", "d", "i", "t", "x", "hl", "ab", "ax", "clk", "rb0", "mb0", "tcnt", "al,0", "ax,bx", "[bx]",
    "ax,1", "ax,cl", "ax,[bx]", "0,al", "dx,al", "movsb", "a,0", "a,b", "a,r0", "a,(0)", "a,(hl)", "(hl)",
    "de,hl", "0,a", "0,w", "#0,a", "0,x", "x,0", "a,#0,0", "a,@a+dptr", "a,@dptr", "a,@r0", "a,@a", "a,p1",
    "a,p4", "a,bus", "p1,a", "p4,a", "d0", "d0,d1", "d0,0", "0,d0", "#0,d0", "(a0)", "r0", "r1", "r0,r1",
    "r1,r2", "r4,r5", "#0,r1", "#0,r4", "0,r1", "r1,0", "#0,r0,r1", "*r1", "w0", "r16", "r16,r17", "r16,0",
    "r24,0", "r16,y+1", "y+1,r16", "r0l", "r0l,r0h", "r0l,r1", "#1,r0", "#0,ccr", "@0,r0l", "r0l,@0",
    "r0,@rr0", "@r0,@rr0", "@rr0,r0", "6", "0,#1", "0,x,#1", "ccr,r0l", "#1,er0", "a0", "d0,a0", "(a0),a0",
    "a0,#0", "(a0)+,(a1)+", "fp0", "fp0,fp1", "#0,fp0", "tc,(a0)", "vbr,d0", "d0,0(a0)", "d0,d1,#0",
    "d0{0:1}", "d0,d1,(a0)", "d0,d1:d2", "(a0),d0", "dc,(a0)", "d0:d1,d2:d3,(a0):(a1)"]
# Switches some instruction groups need before asl accepts them.
SWITCHES = {"FPU instructions are not enabled": "FPU ON",
            "PMMU instructions are not enabled": "PMMU ON",
            "privileged instruction": "SUPMODE ON"}
SIZE_LETTERS = "BWLSDXPQA"  # after a full stop: "MOVE.L"
# The processors that get lists: the common families. Other names get the common directives.
FAMILIES = (
    "Z80 Z180 Z380 Z80UNDOC 8080 8085 8008 6502 65C02 65SC02 6502UNDOC 65816 6809 6309 6301 6800 "
    "6811 68HC12 68HC16 68HC08 6805 68000 68008 68010 68012 68020 68030 68040 68332 68340 68360 "
    "8021 8022 8039 8041 8042 8048 80C39 80C48 87C750 8051 8052 80C320 80C501 80C502 80C504 80515 "
    "80517 80C251 8086 80186 V30 V35 AT90S1200 AT90S2313 AT90S4414 AT90S8515 16C54 16C55 16C56 "
    "16C57 16C64 16C84 17C42 MSP430 TMS9900 Z8601 Z8604 Z8608 Z8630 Z8631 ST6210 ST6215 ST6220 "
    "ST6225 ST7 H8/300 H8/300H H8/300L HD6413308 HD6413309").split()
# Processor names asl does not know, probed under a sibling with the same instruction set.
ALIASES = {"Z8604": "Z8601", "Z8608": "Z8601", "Z8630": "Z8601", "Z8631": "Z8601"}

# Directives highlighted for every processor, and the pseudo-operations of single families.
COMMON_DIRECTIVES = (
    "ALIGN BINCLUDE CASE CHARSET CPU DEPHASE ELSE ELSECASE ELSEIF END ENDCASE ENDIF ENDM "
    "ENDSECTION ENDSTRUCT ENUM ERROR EQU EXITM FATAL FORWARD FUNCTION GLOBAL IF IFB IFDEF IFEXIST "
    "IFNB IFNDEF IFNEXIST IFNUSED IFUSED INCLUDE IRP LABEL LISTING MACEXP MACRO MESSAGE NEWPAGE "
    "ORG PAGE PHASE POPV PUSHV PRTEXIT PRTINIT PUBLIC READ RELAXED REPT RESTORE SAVE SECTION "
    "SEGMENT SHARED STRUCT SWITCH TITLE WARNING WHILE").split()
FAMILY_DIRECTIVES = set((
    "DC.B DC.W DC.L DC.Q DC.S DC.D DC.X DC.P DS.B DS.W DS.L DS.Q DS.S DS.D DS.X DS.P "
    "ADR BYT DC DFS DS FCB FCC FDB PADDING RMB BIGENDIAN BIT DB DD DQ DT DW PORT SFR SFRB SRCMODE "
    "RES DATA REG ZERO").split())
# Pseudo-operations of single families that asl knows, found among the probe results.
EXTRA_DIRECTIVES = set((
    "DN DO DEFB DEFW DEFBIT FPU PMMU FULLPMMU SUPMODE PLAINBASE Z80SYNTAX BYTE WORD ASCII ASCIZ "
    "BLOCK DOUBLE SINGLE BSS PACKING WRAPMODE BANKSEL").split())


def find_asl(given):
    for path in (given, os.environ.get("KODRILL_ASL"), shutil.which("asl")):
        if path and os.access(path, os.X_OK):
            return path
    sys.exit("asl not found: give --asl, set KODRILL_ASL or put it on PATH")


class Prober:
    def __init__(self, asl, cpu):
        self.asl, self.cpu, self.setup = asl, cpu, []
        self.swallowers = set()  # block directives: they hide the lines after them

    def run(self, lines, sentinel):
        """Assembles the lines; answers the line number of each and the messages by line."""
        text, numbers = ["\tcpu " + self.cpu] + ["\t" + s for s in self.setup], []
        for line in lines:
            text.append("\t" + line)
            numbers.append(len(text))
            if sentinel:
                text.append("\t" + SENTINEL)
        with tempfile.TemporaryDirectory() as tmp:
            with open(os.path.join(tmp, "p.asm"), "w") as f:
                f.write("\n".join(text) + "\n")
            out = subprocess.run([self.asl, "-q", "-maxerrors", "100000000", "-gnuerrors", "p.asm"],
                                 cwd=tmp, capture_output=True, text=True, errors="replace",
                                 env=dict(os.environ, LC_ALL="C", LANG="C"))
        messages = {}
        for line in (out.stdout + out.stderr).splitlines():
            m = re.match(r"p\.asm:(\d+)(?::\d+)?: (.*)", line)
            if m:
                messages.setdefault(int(m.group(1)), []).append(m.group(2))
        if out.returncode < 0 and len(lines) == 1:
            # asl dies on some lines ("EX" alone on the Z80): it knows the word.
            messages[numbers[0]] = ["asl crashed"]
            messages[numbers[0] + 1] = ["unknown instruction"]
        return numbers, messages

    def exact(self, lines):
        """Messages of every line asl knows. A sentinel that goes unanswered was swallowed by a
        block directive: the line before it is tried alone, and the rest again after it."""
        known, lines = {}, list(lines)
        while lines:
            numbers, messages = self.run(lines, True)
            cut = None
            for i, (line, n) in enumerate(zip(lines, numbers)):
                if not unknown(messages.get(n + 1, [])):
                    cut = i
                    break
                if not unknown(messages.get(n, [])):
                    known[line] = messages.get(n, [])
            if cut is None:
                break
            numbers, messages = self.run([lines[cut]], True)
            if not unknown(messages.get(numbers[0], [])):
                known[lines[cut]] = messages.get(numbers[0], [])
            if not unknown(messages.get(numbers[0] + 1, [])):
                # It swallows alone too. The same word with other operands or sizes would
                # swallow again: those are tried alone as well.
                word = lines[cut].split()[0].split(".")[0]
                self.swallowers.add(word)
                for line in [s for s in lines[cut + 1:] if s.split()[0].split(".")[0] == word]:
                    numbers, messages = self.run([line], False)
                    if not unknown(messages.get(numbers[0], [])):
                        known[line] = messages.get(numbers[0], [])
                lines = [s for s in lines[cut + 1:] if s.split()[0].split(".")[0] != word]
            else:
                # Something earlier changed the assembler's state: start afresh after this line.
                lines = lines[cut + 1:]
        return known

    def quick(self, words):
        """Like exact, but sentinels only around the few words that survive a first plain run.
        A run of twenty known words in a row means a directive swallowed them; chunks keep the
        rerun after it short."""
        tentative, suspects = set(), []
        for i in range(0, len(words), 20000):
            self.plain(words[i:i + 20000], tentative, suspects)
        return self.exact(sorted(tentative) + suspects)

    def plain(self, words, tentative, suspects):
        while words:
            numbers, messages = self.run(words, False)
            cut, start, length = None, 0, 0
            for i, n in enumerate(numbers):
                if unknown(messages.get(n, [])):
                    length = 0
                    continue
                start, length = (i, length + 1) if length == 0 else (start, length + 1)
                if length >= 20:
                    cut = start
                    break
            end = len(words) if cut is None else cut
            tentative.update(w for w, n in zip(words[:end], numbers[:end]) if not unknown(messages.get(n, [])))
            if cut is None:
                break
            suspects.append(words[cut])
            words = words[cut + 1:]

    def with_operands(self, words, together=False):
        """For each word asl knows: the messages of each operand shape. Each word is assembled
        on its own (unless Together): a directive that takes its operands would change what
        follows."""
        result = {}
        for group in [words] if together else [[w] for w in words]:
            group = [w for w in group if w not in self.swallowers]
            known = self.exact([(w + " " + o).strip() for w in group for o in OPERANDS])
            for w in group:
                shapes = {o: known[(w + " " + o).strip()] for o in OPERANDS if (w + " " + o).strip() in known}
                if shapes:
                    result[w] = shapes
        return result


def unknown(messages):
    return any("unknown instruction" in m for m in messages)


def messages(shapes):
    return {m for ms in shapes.values() for m in ms}


def assembles(shapes):
    """asl takes the word without complaint with some operand shape: the processor has it."""
    return any(not ms or ms == ["asl crashed"] for ms in shapes.values())


def needs_switch(shapes):
    return any("not enabled" in m for m in messages(shapes))


def takes_operands(shapes):
    """Only instructions complain about addressing modes."""
    return any("addressing mode" in m for m in messages(shapes))


def candidates(asl):
    words = {"".join(t) for n in range(1, 5) for t in itertools.product(string.ascii_uppercase, repeat=n)}
    with open(asl, "rb") as f:
        words.update(w.decode() for w in re.findall(rb"[A-Z][A-Z0-9]{1,9}", f.read()))
    return sorted((words | FAMILY_DIRECTIVES) - set(COMMON_DIRECTIVES))


def probe(args):
    """Probe results of one processor: word -> messages over all operand shapes."""
    asl, name, cands = args
    p = Prober(asl, ALIASES.get(name, name))
    found, tried, new = {}, set(cands), p.quick(cands)
    while new:
        found.update(new)
        ext = [w + c for w in sorted(new) if 2 <= len(w) < 8 and "." not in w for c in string.ascii_uppercase + string.digits]
        ext = [w for w in ext if w not in tried and w not in COMMON_DIRECTIVES]
        tried.update(ext)
        new = {w: m for w, m in p.quick(ext).items() if w not in found} if ext else {}
    words = sorted(found)
    result = p.with_operands(words)
    result.update({w: {"": ["block"]} for w in p.swallowers if w in found})
    switches = sorted({s for shapes in result.values() for m in messages(shapes) for k, s in SWITCHES.items() if k in m})
    if switches:
        p.setup = switches
        result = p.with_operands(words)
    result.update(probe_sizes(p, result))
    directives = p.exact(COMMON_DIRECTIVES)
    return name, {"setup": switches, "words": result, "common": sorted(directives)}


def probe_sizes(p, result):
    """Instructions with a size after a full stop ("MOVE.L"), as separate words. Some processors
    ignore sizes silently (all but one or two letters pass for every word): a word's sizes count
    only when the word refuses at least two of them."""
    words = [w for w, shapes in result.items()
             if assembles(shapes) and not takes_no_size(w) and w not in p.swallowers]
    sized = {}
    for w in words:
        tried = p.with_operands([w + "." + c for c in SIZE_LETTERS], together=True)
        good = [c for c in SIZE_LETTERS if w + "." + c in tried and assembles(tried[w + "." + c])]
        if len(good) <= len(SIZE_LETTERS) - 2:
            sized.update({w + "." + c: tried[w + "." + c] for c in good})
    return sized


def takes_no_size(word):
    return word in set(COMMON_DIRECTIVES) | FAMILY_DIRECTIVES | EXTRA_DIRECTIVES


def asl_processors(asl):
    out = subprocess.run([asl, "-cpu", "list"], capture_output=True, text=True, errors="replace")
    return set((out.stdout + out.stderr).split())


def split(entry, universal):
    """Directive and instruction words of one processor's probe results. Universal: the words
    every processor knows, which are the assembler's own pseudo-operations."""
    directives = set(entry["common"])
    instructions = set()
    for word, shapes in entry["words"].items():
        base = word.split(".")[0]
        if word in COMMON_DIRECTIVES or base in universal and "." in word:
            continue
        # A directive name that takes addressing modes is an instruction here (Z80 SET, 6502 BIT).
        pseudo = (word in universal or takes_no_size(word)) and not takes_operands(shapes)
        if pseudo or shapes == {"": ["block"]} or "." in word and takes_no_size(word):
            directives.add(word)
        elif assembles(shapes):
            instructions.add(word)
    return sorted(directives), sorted(instructions)


def cpp_text(words, indent="    "):
    lines, line = [], ""
    for w in words:
        piece = w if not line else line + ", " + w
        if len(piece) > 92:
            lines.append(line + ",")
            piece = w
        line = piece
    lines.append(line)
    return "\n".join(indent + '"' + (l + " " if i < len(lines) - 1 else l) + '"' for i, l in enumerate(lines))


def write_output(results, version):
    texts, rows = {}, []
    known = [set(e["words"]) for e in results.values()]
    universal = set.intersection(*known) if known else set()

    def constant(prefix, words):
        key = " ".join(words)
        if key not in texts:
            texts[key] = "%s%d" % (prefix, sum(1 for k in texts.values() if k.startswith(prefix)))
        return texts[key]

    for name in sorted(results):
        directives, instructions = split(results[name], universal)
        entry = results[name]
        rows.append('    {"%s", "%s", %s, %s, "%s"},' % (
            name, ALIASES.get(name, name), constant("D", directives), constant("K", instructions),
            ", ".join(entry["setup"])))
    out = ["// Generated by tools/probe_asl.py from asl %s; do not edit." % version,
           "// Directives and instruction words that asl accepts, per processor name.",
           '#include "highlight/ExtendedWordLists.h"', "", "namespace {", ""]
    for key, ident in sorted(texts.items(), key=lambda kv: (kv[1][0], int(kv[1][1:]))):
        out.append("const char %s[] =\n%s;" % (ident, cpp_text(key.split())))
    out += ["", "}  // namespace", "",
            "// Name, name asl was probed with, directives, instructions, setup lines.",
            "const TExtendedCpu ExtendedCpuTable[] = {"] + rows + ["};", "",
            "std::span<const TExtendedCpu> ExtendedCpus() { return ExtendedCpuTable; }", ""]
    with open(OUTPUT, "w") as f:
        f.write("\n".join(out))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--asl")
    parser.add_argument("--cache")
    parser.add_argument("--jobs", type=int, default=1)
    parser.add_argument("cpus", nargs="*")
    args = parser.parse_args()
    asl = find_asl(args.asl)
    version = subprocess.run([asl, "-version"], capture_output=True, text=True).stdout.splitlines()[0]
    version = re.sub(r"^Macro Assembler ", "", version).strip()
    results = {}
    if args.cache and os.path.exists(args.cache):
        with open(args.cache) as f:
            results = json.load(f)
    supported = asl_processors(asl)
    names = args.cpus or [n for n in FAMILIES if ALIASES.get(n, n) in supported]
    todo = [n for n in names if n not in results]
    cands = candidates(asl)
    with ProcessPoolExecutor(max_workers=args.jobs) as pool:
        for name, entry in pool.map(probe, [(asl, n, cands) for n in todo]):
            results[name] = entry
            print(name, len(entry["words"]), file=sys.stderr)
            if args.cache:
                with open(args.cache + ".part", "w") as f:
                    json.dump(results, f)
                os.replace(args.cache + ".part", args.cache)
    write_output({n: results[n] for n in FAMILIES if n in results}, version)


if __name__ == "__main__":
    main()

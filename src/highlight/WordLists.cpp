#include "highlight/WordLists.h"

#include <algorithm>

#include "highlight/AssemSyn.h"
#include "highlight/ExtendedWordLists.h"

namespace wordlists {

const TWordList CommonDirectives{"Common directives", tkDirective,
    "=, :=, ALIGN, BINCLUDE, CASE, CHARSET, CPU, DEPHASE, ELSE, ELSECASE, ELSEIF, END, "
    "ENDCASE, ENDIF, ENDM, ENDSECTION, ENDSTRUCT, ENUM, ERROR, EQU, EXITM, FATAL, FORWARD, "
    "FUNCTION, GLOBAL, IF, IFB, IFDEF, IFEXIST, IFNB, IFNDEF, IFNEXIST, IFNUSED, IFUSED, "
    "INCLUDE, IRP, LABEL, LISTING, MACEXP, MACRO, MESSAGE, NEWPAGE, ORG, PAGE, PHASE, POPV, "
    "PUSHV, PRTEXIT, PRTINIT, PUBLIC, READ, RELAXED, REPT, RESTORE, SAVE, SECTION, SEGMENT, "
    "SHARED, STRUCT, SWITCH, TITLE, WARNING, WHILE"
};
const TWordList ContextDirectives{"Context directives", tkDirective, "ENDM, FORWARD, GLOBAL, PUBLIC"};

const TWordList MotorolaDataDirectives{"Motorola data directives", tkDirective,
    "ADR, BYT, DC, DC.B, DC.W, DC.L, DC.Q, DC.S, DC.D, DC.X, DC.P, DFS, DS, DS.B, DS.W, DS.L, "
    "DS.Q, DS.S, DS.D, DS.X, DS.P, FCB, FCC, FDB, PADDING, RMB"
};
const TWordList Instructions68HC11{"68HC11 instructions", tkKeyword,
    "ABA, ABX, ABY, ADCA, ADCB, ADDA, ADDB, ADDD, ANDA, ANDB, ASLA, ASLB, ASL, ASLD, ASRA, "
    "ASRB, ASR, BCC, BCLR, BCS, BEQ, BGE, BGT, BHI, BHS, BITA, BITB, BLE, BLO, BLS, BLT, BMI, "
    "BNE, BPL, BRA, BRCLR, BRN, BRSET, BSET, BSR, BVC, BVS, CBA, CLC, CLI, CLRA, CLRB, CLR, "
    "CLV, CMPA, CMPB, COMA, COMB, COM, CPD, CPX, CPY, DAA, DECA, DECB, DEC, DES, DEX, DEY, "
    "EORA, EORB, FDIV, IDIV, INCA, INCB, INC, INS, INX, INY, JMP, JSR, LDAA, LDAB, LDD, LDS, "
    "LDX, LDY, LSLA, LSLB, LSL, LSLD, LSRA, LSRB, LSR, LSRD, MUL, NEGA, NEGB, NEG, NOP, ORAA, "
    "ORAB, PSHA, PSHB, PSHX, PSHY, PULA, PULB, PULX, PULY, ROLA, ROLB, ROL, RORA, RORB, ROR, "
    "RTI, RTS, SBA, SBCA, SBCB, SEC, SEI, SEV, STAA, STAB, STD, STOP, STS, STX, STY, SUBA, "
    "SUBB, SUBD, SWI, TAB, TAP, TBA, TEST, TPA, TSTA, TSTB, TST, TSX, TSY, TXS, TYS, WAI, "
    "XGDX, XGDY"
};
const TWordList Additions68HC12{"68HC12 additions", tkKeyword,
    "ANDCC, BGND, CALL, CPS, DBEQ, DBNE, EDIV, EDIVS, EMAXD, EMAXM, EMIND, EMINM, EMUL, "
    "EMULS, ETBL, EXG, IBEQ, IBNE, IDIVS, LBCC, LBCS, LBEQ, LBGE, LBGT, LBHI, LBHS, LBLE, "
    "LBLO, LBLS, LBLT, LBMI, LBNE, LBPL, LBRA, LBRN, LBVC, LBVS, LEAS, LEAX, LEAY, MAXA, "
    "MAXM, MEM, MINA, MINM, MOVB, MOVW, ORCC, PSHC, PSHD, PULC, PULD, REV, REVW, RTC, SEX, "
    "TBEQ, TBL, TBNE, TFR, TRAP, WAV"
};
const TWordList Instructions68HC16{"68HC16 instructions", tkKeyword,
    "ABA, ABX, ABY, ABZ, ACE, ACED, ADE, ADX, ADY, ADZ, AEX, AEY, AEZ, ASLA, ASLB, ASLD, "
    "ASLE, ASLM, LSLB, LSLD, LSLE, LSLA, ASRA, ASRB, ASRD, ASRE, ASRM, BGND, CBA, CLRA, CLRB, "
    "CLRD, CLRE, CLRM, COMA, COMB, COMD, COME, DAA, DECA, DECB, EDIV, EDIVS, EMUL, EMULS, "
    "FDIV, FMULS, IDIV, INCA, INCB, LPSTOP, LSRA, LSRB, LSRD, LSRE, MUL, NEGA, NEGB, NEGD, "
    "NEGE, NOP, PSHA, PSHB, PSHMAC, PULA, PULB, PULMAC, ROLA, ROLB, ROLD, ROLE, RORA, RORB, "
    "RORD, RORE, RTI, RTS, SBA, SDE, SWI, SXT, TAB, TAP, TBA, TBEK, TBSK, TBXK, TBYK, TBZK, "
    "TDE, TDMSK, TDP, TED, TEDM, TEKB, TEM, TMER, TMET, TMXED, TPA, TPD, TSKB, TSTA, TSTB, "
    "TSTD, TSTE, TSX, TSY, TSZ, TXKB, TXS, TXY, TXZ, TYKB, TYS, TYX, TYZ, TZKB, TZS, TZX, "
    "TZY, WAI, XGAB, XGDE, XGDX, XGDY, XGDZ, XGEX, XGEY, XGEZ, DES, INS, DEX, INX, DEY, INY, "
    "PSHX, PULX, PSHY, PULY, BCC, BCS, BEQ, BGE, BGT, BHI, BLE, BLS, BLT, BMI, BNE, BPL, BRA, "
    "BRN, BVC, BVS, BHS, BLO, LBEV, LBMV, LBSR, ADCA, ADCB, ADCD, ADCE, ADDA, ADDB, ADDD, "
    "ADDE, ANDA, ANDB, ANDD, ANDE, ASL, ASLW, LSL, LSLW, ASR, ASRW, BITA, BITB, CLR, CLRW, "
    "CMPA, CMPB, COM, COMW, CPD, CPE, DEC, DECW, EORA, EORB, EORD, EORE, INC, INCW, LDAA, "
    "LDAB, LDD, LDE, LSR, LSRW, NEG, NEGW, ORAA, ORAB, ORD, ORE, ROL, ROLW, ROR, RORW, SBCA, "
    "SBCB, SBCD, SBCE, STAA, STAB, STD, STE, SUBA, SUBB, SUBD, SUBE, TST, TSTW, CPS, CPX, "
    "CPY, CPZ, LDS, LDX, LDY, LDZ, STS, STX, STY, STZ, AIS, AIX, AIY, AIZ, LDED, LDHI, STED, "
    "CLC, CLI, CLV, SEC, SEI, SEV, JMP, JSR, LBCC, LBCS, LBEQ, LBEV, LBGE, LBGT, LBHI, LBLE, "
    "LBLS, LBLT, LBMI, LBNE, LBPL, LBRA, LBRN, LBSR, LBVC, LBVS"
};
const TWordList AT90SDirectives{"AT90S directives", tkDirective,
    "PORT, RES, DATA, REG"
};
const TWordList AT90SCoreInstructions{"AT90S core instructions", tkKeyword,
    "ADD, ADC, SUB, SUBI, SBC, SBCI, AND, ANDI, OR, ORI, EOR, COM, NEG, SBR, CBR, INC, DEC, "
    "TST, CLR, SER, RJMP, RCALL, RET, RETI, CPSE, CP, CPC, CPI, SBRC, SBRS, SBIC, SBIS, BRBS, "
    "BRBC, BREQ, BRNE, BRCS, BRCC, BRSH, BRLO, BRMI, BRPL, BRGE, BRLT, BRHS, BRHC, BRTS, "
    "BRTC, BRVS, BRVC, BRIE, BRID, LD, ST, MOV, LDI, IN, OUT, SBI, CBI, LSL, LSR, ROL, ROR, "
    "ASR, SWAP, BSET, BCLR, BST, BLD, SEC, CLC, SEN, CLN, SEZ, CLZ, SEI, CLI, SES, CLS, SEV, "
    "CLV, SET, CLT, SEH, CLH, NOP, SLEEP, WDR"
};
const TWordList AT90SExtendedInstructions{"AT90S extended instructions", tkKeyword,
    "ADIW, SUBIW, IJMP, ICALL, LDD, LDS, STD, STS, LPM, PUSH, POP"
};
const TWordList Directives8051{"8051 directives", tkDirective,
    "BIGENDIAN, BIT, DB, DD, DQ, DS, DT, DW, PORT, SFR, SFRB, SRCMODE"
};
const TWordList Instructions8051{"8051 instructions", tkKeyword,
    "MOV, ANL, ORL, XRL, MOVC, MOVH, MOVZ, MOVS, MOVX, POP, PUSH, PUSHW, XCH, XCHD, AJMP, "
    "ACALL, LJMP, LCALL, EJMP, ECALL, JMP, CALL, DJNZ, CJNE, ADD, SUB, CMP, ADDC, SUBB, INC, "
    "DEC, MUL, DIV, CLR, CPL, SETB, SRA, SRL, SLL, SFR, SFRB, BIT, PORT, NOP, RET, RETI, "
    "ERET, TRAP, DA, RL, RLC, RR, RRC, SWAP, JC, JE, JG, JLE, JNC, JNE, JNZ, JSG, JSGE, JSL, "
    "JSLE, JZ, SJMP, JB, JBC, JNB"
};
const TWordList PicDirectives{"16C/17C directives", tkDirective,
    "DATA, RES, SFR, ZERO"
};
const TWordList PicCoreInstructions{"16C/17C core instructions", tkKeyword,
    "ADDWF, ANDWF, CLRF, COMF, DECF, DECFSZ, INCF, INCFSZ, IORWF, MOVWF, NOP, SUBWF, SWAPF, "
    "XORWF, BCF, BSF, BTFSC, BTFSS, ANDLW, CALL, CLRWDT, GOTO, IORLW, MOVLW, RETLW, SLEEP, "
    "XORLW"
};
const TWordList Additions16C5x{"16C5x additions", tkKeyword,
    "RLF, RRF, MOVF, CLRW, OPTION, TRIS"
};
const TWordList Additions16C84{"16C64/16C84 additions", tkKeyword,
    "RLF, RRF, MOVF, CLRW, ADDLW, RETFIE, RETURN, SUBLW"
};
const TWordList Additions17C42{"17C42 additions", tkKeyword,
    "ADDWFC, CPFSEQ, CPFSGT, CPFSLT, DAW, DCFSNZ, INFSNZ, MOVFP, MOVPF, MULWF, NEGW, RLCF, "
    "RLNCF, RRCF, RRNCF, SETF, SUBWFB, TABLRD, TABLWT, TLRD, TLWT, TSTFSZ, BTG, ADDLW, LCALL, "
    "MOVLB, MOVLR, MULLW, RETFIE, RETURN, SUBLW"
};
const TWordList ExampleDirective{"Example directive", tkDirective,
    "DIRECTIVE"
};
const TWordList ExampleKeyword{"Example keyword", tkKeyword,
    "KEYWORD"
};

}  // namespace wordlists

namespace {
using namespace wordlists;

const TWordList* const ExampleLists[] = {&ExampleDirective, &ExampleKeyword};
const TWordList* const Lists6800[] = {&CommonDirectives, &MotorolaDataDirectives, &Instructions68HC11};
const TWordList* const Lists68HC12[] = {&CommonDirectives, &MotorolaDataDirectives, &Instructions68HC11,
                                        &Additions68HC12};
const TWordList* const Lists68HC16[] = {&CommonDirectives, &MotorolaDataDirectives, &Instructions68HC16};
const TWordList* const Lists8051[] = {&CommonDirectives, &Directives8051, &Instructions8051};
const TWordList* const ListsAT90S1200[] = {&CommonDirectives, &AT90SDirectives, &AT90SCoreInstructions};
const TWordList* const ListsAT90S2313[] = {&CommonDirectives, &AT90SDirectives, &AT90SCoreInstructions,
                                           &AT90SExtendedInstructions};
const TWordList* const Lists16C54[] = {&CommonDirectives, &PicDirectives, &PicCoreInstructions, &Additions16C5x};
const TWordList* const Lists16C84[] = {&CommonDirectives, &PicDirectives, &PicCoreInstructions, &Additions16C84};
const TWordList* const Lists17C42[] = {&CommonDirectives, &PicDirectives, &PicCoreInstructions, &Additions17C42};
}  // namespace

std::span<const TWordList* const> CPUWordLists(TVoCPUType type) {
  switch (type) {
    case VoCPU_Unknown: return {};
    case VoCPU_Example: return ExampleLists;
    case VoCPU_6800:
    case VoCPU_6301:
    case VoCPU_6811: return Lists6800;
    case VoCPU_68HC12: return Lists68HC12;
    case VoCPU_68HC16: return Lists68HC16;
    case VoCPU_87C750:
    case VoCPU_8051:
    case VoCPU_8052:
    case VoCPU_80C320:
    case VoCPU_80C501:
    case VoCPU_80C502:
    case VoCPU_80C504:
    case VoCPU_80515:
    case VoCPU_80517:
    case VoCPU_80C251: return Lists8051;
    case VoCPU_AT90S1200: return ListsAT90S1200;
    case VoCPU_AT90S2313:
    case VoCPU_AT90S4414:
    case VoCPU_AT90S8515: return ListsAT90S2313;
    case VoCPU_16C54:
    case VoCPU_16C55:
    case VoCPU_16C56:
    case VoCPU_16C57: return Lists16C54;
    case VoCPU_16C84:
    case VoCPU_16C64: return Lists16C84;
    case VoCPU_17C42: return Lists17C42;
  }
  return {};
}

const TExtendedCpu* FindExtendedCpu(std::string_view name) {
  const std::span<const TExtendedCpu> cpus = ExtendedCpus();
  const auto it = std::lower_bound(cpus.begin(), cpus.end(), name,
                                   [](const TExtendedCpu& cpu, std::string_view n) { return cpu.Name < n; });
  return it != cpus.end() && it->Name == name ? &*it : nullptr;
}

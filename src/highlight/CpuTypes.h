#pragma once
// The processors with keyword tables, and the processor names the dialogs offer.
#include <string>
#include <string_view>
#include <vector>

enum TVoCPUType : unsigned char {
  VoCPU_Unknown = 0, VoCPU_Example, VoCPU_6800, VoCPU_6301, VoCPU_6811, VoCPU_68HC12,
  VoCPU_68HC16, VoCPU_87C750, VoCPU_8051, VoCPU_8052, VoCPU_80C320, VoCPU_80C501, VoCPU_80C502,
  VoCPU_80C504, VoCPU_80515, VoCPU_80517, VoCPU_80C251, VoCPU_AT90S1200, VoCPU_AT90S2313,
  VoCPU_AT90S4414, VoCPU_AT90S8515, VoCPU_16C54, VoCPU_16C55, VoCPU_16C56, VoCPU_16C57,
  VoCPU_16C84, VoCPU_16C64, VoCPU_17C42,
};
constexpr int VoCPU_Count = VoCPU_17C42 + 1;

// Processor name of a value ("" for VoCPU_Unknown).
const char* CPUTypeName(TVoCPUType type);
// The value whose name equals Name exactly (letter case counts); VoCPU_Unknown when none.
TVoCPUType CPUTypeFromName(std::string_view name);

// The 220 processor names of the preference dialogs, in their sorted order.
const std::vector<std::string>& ProcessorNames();

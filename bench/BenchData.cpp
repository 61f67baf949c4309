#include "BenchData.h"

#include <QTemporaryDir>

#include <array>
#include <cstdio>
#include <deque>
#include <fstream>
#include <map>
#include <stdexcept>

namespace {

// xorshift64*: the standard distributions differ between libraries, this does not.
class TRandom {
 public:
  explicit TRandom(std::uint64_t seed) : FState(seed * 0x9E3779B97F4A7C15ull + 0x2545F4914F6CDD1Dull) {}
  unsigned Below(unsigned n) {
    FState ^= FState >> 12;
    FState ^= FState << 25;
    FState ^= FState >> 27;
    return unsigned((FState * 0x2545F4914F6CDD1Dull) >> 32) % n;
  }
  template <typename T, std::size_t N>
  const T& Pick(const std::array<T, N>& items) { return items[Below(N)]; }

 private:
  std::uint64_t FState;
};

constexpr std::array<const char*, 70> kInstructions = {
    "LDAA", "LDAB", "LDD",  "LDX",  "LDY",  "STAA", "STAB", "STD",  "STX",   "STY",  "ADDA", "ADDB", "ADDD",
    "SUBA", "SUBB", "SUBD", "ANDA", "ANDB", "ORAA", "ORAB", "EORA", "EORB",  "CMPA", "CMPB", "CPX",  "CPY",
    "INCA", "INCB", "DECA", "DECB", "INX",  "INY",  "DEX",  "DEY",  "CLRA",  "CLRB", "TSTA", "TSTB", "BRA",
    "BEQ",  "BNE",  "BCC",  "BCS",  "BMI",  "BPL",  "BSR",  "JSR",  "JMP",   "RTS",  "RTI",  "PSHA", "PSHB",
    "PULA", "PULB", "ASLA", "LSRA", "ROLA", "RORA", "NOP",  "MUL",  "IDIV",  "FDIV", "BSET", "BCLR", "BRSET",
    "BRCLR", "XGDX", "XGDY", "ABX", "ABY"};
// Inherent instructions take no operand.
constexpr std::array<const char*, 12> kInherent = {"RTS", "RTI", "NOP", "MUL", "INX",  "INY",
                                                   "DEX", "DEY", "ABX", "ABY", "XGDX", "XGDY"};
constexpr std::array<const char*, 12> kDirectives = {"ORG",  "EQU",  "FCB",  "FDB",     "FCC", "RMB",
                                                     "DC.B", "DC.W", "DS.B", "INCLUDE", "IF",  "ENDIF"};
constexpr std::array<const char*, 18> kWords = {
    "Zähler", "Schleife", "Wert",  "Puffer", "Ausgabe", "Eingabe", "Fehler", "Übertrag",  "Prüfsumme",
    "Tabelle", "Zeiger",  "Länge", "Größe",  "Anfang",  "Ende",    "Port",   "Timer",     "Interrupt"};
// The same words spelt for labels.
constexpr std::array<const char*, 18> kLabelWords = {
    "Zaehler", "Schleife", "Wert",   "Puffer", "Ausgabe", "Eingabe", "Fehler", "Uebertrag", "Pruefsumme",
    "Tabelle", "Zeiger",   "Laenge", "Groesse", "Anfang", "Ende",    "Port",   "Timer",     "Interrupt"};

bool IsInherent(const char* instruction) {
  for (const char* word : kInherent)
    if (std::string_view(word) == instruction) return true;
  return false;
}

class TSourceGenerator {
 public:
  explicit TSourceGenerator(std::uint64_t seed) : FRandom(seed) {}

  // Appends one line (without its line end).
  void Line(std::string& out) {
    ++FLineNumber;
    const unsigned kind = FRandom.Below(20);
    if (kind == 0) return;
    if (kind == 1) {
      out += ';';
      for (unsigned i = 0, n = 2 + FRandom.Below(6); i < n; ++i) (out += ' ') += FRandom.Pick(kWords);
    } else if (kind == 2) {
      const std::string label = "L" + std::string(FRandom.Pick(kLabelWords)) + "_" + std::to_string(FLineNumber);
      FLabels.push_back(label);
      if (FLabels.size() > 64) FLabels.pop_front();
      (out += label) += ':';
    } else if (kind == 3) {
      const std::string_view directive = FRandom.Pick(kDirectives);
      ((out += '\t') += directive) += '\t';
      if (directive == "FCC") {
        out += '"';
        for (int i = 0; i < 3; ++i) (out += i ? " " : "") += FRandom.Pick(kWords);
        out += '"';
      } else if (directive == "INCLUDE") {
        ((out += "\"defs") += char('0' + FRandom.Below(4))) += ".inc\"";
      } else {
        Operand(out);
      }
    } else {
      const char* instruction = FRandom.Pick(kInstructions);
      (out += '\t') += instruction;
      if (!IsInherent(instruction)) {
        out += FRandom.Below(2) ? "\t" : "    ";
        Operand(out);
      }
      if (FRandom.Below(3) == 0) (((out += "\t; ") += FRandom.Pick(kWords)) += ' ') += FRandom.Pick(kWords);
    }
  }

 private:
  void Operand(std::string& out) {
    char buffer[24];
    const unsigned kind = FRandom.Below(9);
    if (kind == 6 && !FLabels.empty()) {
      out += FLabels[FRandom.Below(unsigned(FLabels.size()))];
      return;
    }
    switch (kind) {
      case 0: std::snprintf(buffer, sizeof buffer, "#$%02X", FRandom.Below(256)); break;
      case 1: {
        const unsigned value = FRandom.Below(256);
        buffer[0] = '#';
        buffer[1] = '%';
        for (int bit = 0; bit < 8; ++bit) buffer[2 + bit] = char('0' + ((value >> (7 - bit)) & 1));
        buffer[10] = 0;
        break;
      }
      case 2: std::snprintf(buffer, sizeof buffer, "$%04X", FRandom.Below(65536)); break;
      case 3: std::snprintf(buffer, sizeof buffer, "0x%X", FRandom.Below(65536)); break;
      case 4: std::snprintf(buffer, sizeof buffer, "0%XH", FRandom.Below(4096)); break;
      case 5: std::snprintf(buffer, sizeof buffer, "%u,X", FRandom.Below(256)); break;
      case 7: std::snprintf(buffer, sizeof buffer, "'%c'", "ABCxyz"[FRandom.Below(6)]); break;
      default: std::snprintf(buffer, sizeof buffer, "%u", FRandom.Below(1000)); break;
    }
    out += buffer;
  }

  TRandom FRandom;
  std::deque<std::string> FLabels;  // the latest labels, for operands that name one
  long FLineNumber = 0;
};

}  // namespace

void GenerateSource(int mb, const std::function<void(std::string_view)>& sink, std::uint64_t seed) {
  TSourceGenerator generator(seed);
  const std::size_t target = std::size_t(mb) << 20;
  std::string chunk;
  chunk.reserve(1 << 16);
  for (std::size_t done = 0; done < target;) {
    const std::size_t before = chunk.size();
    generator.Line(chunk);
    chunk += '\n';
    done += chunk.size() - before;
    if (chunk.size() >= (1 << 16) - 256 || done >= target) {
      sink(chunk);
      chunk.clear();
    }
  }
}

std::string GeneratedSource(int mb) {
  static QTemporaryDir dir;
  static std::map<int, std::string> paths;
  auto& path = paths[mb];
  if (path.empty()) {
    const std::string name = dir.filePath(QStringLiteral("gen_%1mb.asm").arg(mb)).toStdString();
    std::ofstream out(name, std::ios::binary);
    GenerateSource(mb, [&](std::string_view chunk) { out.write(chunk.data(), std::streamsize(chunk.size())); });
    if (!dir.isValid() || !out.flush()) throw std::runtime_error("cannot write the generated source " + name);
    path = name;
  }
  return path;
}

const std::string& GeneratedText(int mb) {
  static std::map<int, std::string> texts;
  std::string& text = texts[mb];
  if (text.empty()) {
    text.reserve((std::size_t(mb) << 20) + 256);
    GenerateSource(mb, [&](std::string_view chunk) { text += chunk; });
  }
  return text;
}

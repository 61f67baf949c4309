// Arbitrary bytes as source lines through the assembler highlighter of several processors.
// Tokens must tile each line exactly, never reach beyond it, and identifiers must be classified
// the way the processor's keyword table answers.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "highlight/AssemSyn.h"
#include "highlight/CpuTypes.h"
#include "highlight/WordLists.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

const char* const Processors[] = {"6811", "68HC16", "8051", "AT90S2313", "17C42", "Example", "Z80"};
constexpr int ProcessorCount = sizeof(Processors) / sizeof(Processors[0]);

// The processor's words as a plain list, searched one by one: an oracle for the hash table.
struct TSetup {
  TVoMAssemSyn highlighter;
  std::vector<std::pair<std::string, int>> words;

  explicit TSetup(const char* cpu) {
    highlighter.SetCPUTypeString(cpu);
    for (const TWordList* list : CPUWordLists(CPUTypeFromName(cpu))) {
      std::string_view rest(list->Text);
      while (!rest.empty()) {
        const size_t comma = rest.find(',');
        std::string_view word = rest.substr(0, comma);
        while (!word.empty() && word.front() == ' ') word.remove_prefix(1);
        words.emplace_back(std::string(word), list->Kind);
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
      }
    }
  }

  int KindOf(std::string_view text) const {
    int kind = tkIdentifier;
    for (const auto& [word, wordKind] : words) {
      if (word.size() != text.size()) continue;
      size_t i = 0;
      while (i < text.size() && word[i] == (text[i] >= 'a' && text[i] <= 'z' ? text[i] - 32 : text[i])) ++i;
      if (i == text.size()) kind = wordKind;  // the list added last wins
    }
    return kind;
  }
};

bool IsWordChar(char c) {
  return c == '.' || c == '_' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

void CheckLine(TSetup& setup, std::string_view bytes) {
  // An allocation of exactly the line's size, so that any read beyond it is reported.
  std::unique_ptr<char[]> copy(new char[bytes.size() ? bytes.size() : 1]);
  if (!bytes.empty()) std::memcpy(copy.get(), bytes.data(), bytes.size());
  const std::string_view line(copy.get(), bytes.size());

  TVoMAssemSyn& h = setup.highlighter;
  size_t end = 0;
  size_t count = 0;
  for (h.SetLine(line, 0); !h.AtEndOfLine(); h.Next()) {
    const std::string_view text = h.TokenText();
    Check(static_cast<size_t>(h.TokenStart()) == end);
    Check(!text.empty() && text.data() == line.data() + end && end + text.size() <= line.size());
    const int kind = h.TokenKind();
    Check(kind >= tkComment && kind <= tkUnknown && kind != tkEndOfLine);
    Check(h.TokenAttribute() != nullptr);
    if (kind == tkIdentifier || kind == tkKeyword || kind == tkDirective) {
      // A whole word: it starts with a letter or underscore and takes every word character.
      Check(!(text[0] == '.' || (text[0] >= '0' && text[0] <= '9')));
      for (char c : text) Check(IsWordChar(c));
      Check(end + text.size() == line.size() || !IsWordChar(line[end + text.size()]));
      Check(kind == setup.KindOf(text));
    }
    end += text.size();
    Check(++count <= line.size());
  }
  Check(end == line.size());
  Check(static_cast<size_t>(h.TokenStart()) == line.size() && h.TokenText().empty());
  Check(h.TokenAttribute() == nullptr);
  h.Next();
  Check(h.AtEndOfLine() && static_cast<size_t>(h.TokenStart()) == line.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static TSetup* setups[ProcessorCount];
  if (!setups[0])
    for (int i = 0; i < ProcessorCount; ++i) setups[i] = new TSetup(Processors[i]);

  const std::string_view input(reinterpret_cast<const char*>(data), size);
  // The first byte picks the processor; the whole input is also scanned as one line.
  TSetup& setup = *setups[size ? data[0] % ProcessorCount : 0];
  CheckLine(setup, input);
  std::string_view rest = input;
  while (!rest.empty()) {
    const size_t lf = rest.find('\n');
    CheckLine(setup, rest.substr(0, lf));
    rest = lf == std::string_view::npos ? std::string_view() : rest.substr(lf + 1);
  }
  return 0;
}

// The assembler highlighter: token sequences, bad input, configuration and attributes.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <random>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "highlight/AssemSyn.h"
#include "highlight/HashList.h"

namespace {

using TToken = std::tuple<int, std::string, size_t>;  // kind, text, start

// Every token of the line before EndOfLine; fails unless they tile the line and view into it.
std::vector<TToken> Tokenize(TVoMAssemSyn& h, std::string_view line) {
  std::vector<TToken> tokens;
  size_t end = 0;
  for (h.SetLine(line, 0); !h.AtEndOfLine() && tokens.size() <= line.size(); h.Next()) {
    const std::string_view text = h.TokenText();
    EXPECT_TRUE(!text.empty() && size_t(h.TokenStart()) == end && text.data() == line.data() + end) << end;
    tokens.emplace_back(h.TokenKind(), text, end);
    end += text.size();
  }
  EXPECT_TRUE(end == line.size() && size_t(h.TokenStart()) == end && h.TokenText().empty());
  return tokens;
}

using KT = std::vector<std::pair<int, std::string>>;
KT KindsAndTexts(TVoMAssemSyn& h, std::string_view line) {
  KT result;
  for (const auto& [kind, text, start] : Tokenize(h, line)) result.emplace_back(kind, text);
  return result;
}

struct TCountingListener : IHighlighterListener {
  int calls = 0;
  void HighlighterChanged(TCustomHighlighter*) override { ++calls; }
};

// The line is the pieces between the bars; one letter per piece gives its token kind.
void ExpectTokens(const char* cpu, const std::string& pieces, std::string_view kinds) {
  TVoMAssemSyn h;
  h.SetCPUTypeString(cpu);
  KT expected;
  std::string line;
  for (size_t at = 0, bar = 0; bar != std::string::npos; at = bar + 1) {
    bar = pieces.find('|', at);
    line += pieces.substr(at, bar - at);
    expected.emplace_back(std::string_view("CDIKENSTYU").find(kinds[expected.size()]), pieces.substr(at, bar - at));
  }
  EXPECT_EQ(KindsAndTexts(h, line), expected) << line;
}

TEST(AssemSynTokens, Lines) {
  const std::string nul(1, '\0');
  ExpectTokens("Example", "     |DIRECTIVE| |$afff|     |KEYWORD|   |%01110", "SDSNSKSN");
  ExpectTokens("6811", "loop|:|  |ldaa|  |#|$FF|,|X|  |; load", "IYSKSYNYISC");
  ExpectTokens("Example", "Symbols|:| |*|#|:|:|(|)| |ldaa| |org", "IYSYYYYYYSISI");
  ExpectTokens("6811", "ldaa| |LdAa| |dc.b| |LDAA.X| |LDAA|,|X| |.|org| |_x1.y_2| |rts|;c", "KSKSDSISKYISUDSISKC");
  ExpectTokens("6811", "x| |=| |endsection| |DOdsection| |Z|\xC3|\xA4|h| |Z|\xE4|h", "ISUSDSISIUUISIUI");
  ExpectTokens("", "0x1F| |0|X1F| |123|q| |0FFh| |17o| |1010b| |99H|g| |$AFFF|h|%0110|2|$|,|%|@|17|-|5| |'abc",
               "NSNISNISNSNSNSNISNINNNYNUNUNST");
  ExpectTokens("", "fcc| |\"ab;c\"| |'it'|'s'| |'a\"b'| |\"\"| |\"\"\"a\"|b|\"\"\"", "ISTSTTSTSTSTIT");
  ExpectTokens("", "\"ab\r|\n|x|'\n|;a|\r\n|b|+|=| \t\v\f \x1F |x|\r\n|\n|\r|\r", "TSITCSIUUSISSSS");
  ExpectTokens("6811", "ab|" + nul + "|ldaa| |\"x" + nul + "y\"| |;c" + nul, "IUKSTSC");
  TVoMAssemSyn h;  // EndOfLine stays
  EXPECT_EQ(KindsAndTexts(h, "loop:  ldaa  #$FF,X  ; load").size(), 11u);
  h.Next();
  EXPECT_TRUE(h.AtEndOfLine() && h.TokenStart() == 27 && h.TokenAttribute() == nullptr);
  h.SetLine("", 0);
  EXPECT_TRUE(h.AtEndOfLine() && h.TokenStart() == 0);
}

TEST(AssemSynTokens, ReadsNothingBeyondTheViewAndHugeLines) {
  TVoMAssemSyn h;
  h.SetCPUTypeString("6811");
  // Views cut out of a longer buffer: what follows the view must not change the tokens.
  const std::string_view buffer = "'ab'\r\nldaa$FF;zz\"\"\"";
  EXPECT_EQ(KindsAndTexts(h, buffer.substr(0, 5)), (KT{{tkString, "'ab'"}, {tkSpace, "\r"}}));
  EXPECT_EQ(KindsAndTexts(h, buffer.substr(6, 6)), (KT{{tkKeyword, "ldaa"}, {tkNumber, "$F"}}));
  EXPECT_EQ(KindsAndTexts(h, buffer.substr(17, 2)), (KT{{tkString, "\"\""}}));
  std::string all;
  for (int c = 0; c < 256; ++c) EXPECT_EQ(Tokenize(h, (all += static_cast<char>(c)).substr(c)).size(), 1u) << c;
  Tokenize(h, all);
  Tokenize(h, std::string(all.rbegin(), all.rend()));
  const size_t big = 10u << 20;
  const std::pair<std::string, size_t> lines[] = {{std::string(big, 'a'), 1}, {"'" + std::string(big, 'x'), 1},
                                                  {std::string(big, '"'), big / 4}, {std::string(big, '\0'), big}};
  for (const auto& [line, count] : lines) {
    size_t tokens = 0, end = 0;
    for (h.SetLine(line, 0); !h.AtEndOfLine(); h.Next(), ++tokens) end += h.TokenText().size();
    EXPECT_TRUE(tokens == count && end == line.size());
  }
}

// The scanning rules written out plainly, character by character: the reference for the scanner.
std::vector<TToken> Reference(THashList& table, std::string_view s) {
  std::vector<TToken> tokens;
  auto at = [&](size_t i) { return i < s.size() ? static_cast<unsigned char>(s[i]) : 0x100u; };
  auto in = [](unsigned c, const char* set) { return c && c < 0x80 && std::strchr(set, static_cast<int>(c)); };
  const char* letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz_";
  const std::string word = std::string(letters) + "0123456789.";
  for (size_t p = 0; p < s.size();) {
    const size_t start = p;
    const unsigned c = at(p++);
    int kind = tkUnknown;
    if (c == '\n' || c == '\r') {
      kind = tkSpace, p += c == '\r' && at(p) == '\n';
    } else if (c >= 1 && c <= 32) {
      for (kind = tkSpace; at(p) >= 1 && at(p) <= 32 && at(p) != '\n' && at(p) != '\r';) ++p;
    } else if (c == '"' || c == '\'') {
      kind = tkString;
      p = at(start + 1) == c && at(start + 2) == c ? start + 2 : start;
      while (p < s.size() && at(p) != '\n' && at(p) != '\r')
        if (at(++p) == c) break;
      p += p < s.size();
    } else if (c == ';') {
      for (kind = tkComment; p < s.size() && at(p) != '\n' && at(p) != '\r';) ++p;
    } else if (c == '$' || c == '%' || in(c, "0123456789")) {
      const char* run = c == '$' ? "0123456789ABCDEFabcdef" : c == '%' ? "01" : "0123456789ABCDEFabcdefHhOox";
      for (kind = tkNumber; in(at(p), run);) ++p;
    } else if (in(c, letters)) {
      while (in(at(p), word.c_str())) ++p;
      const THashEntry* e = table.Find(s.substr(start, p - start));
      kind = e ? int{e->Kind} : int{tkIdentifier};
    } else if (in(c, "#()*,:")) kind = tkSymbol;
    tokens.emplace_back(kind, s.substr(start, p - start), start);
  }
  return tokens;
}

TEST(AssemSynTokens, SameTokensAsThePlainRulesOnGeneratedLines) {
  std::mt19937 random(17);
  const std::string pieces[] = {
      " ", "\t", "    ", "\r", "\n", "\"", "'", ";", "$", "%", "#", ",", ":", "(", ".", "_", "0", "1", "7", "0x", "FFh", "B",
      "q", "X", "ldaa", "LDAA", "dc.b", "org", "mov", "endsection", "abcdefghi", "DIRECTIVE", "ld", "move.l", "aim",
      "include", "ElseCase", "pshmac", "\xE4", std::string(1, '\0')};
  for (const bool extended : {false, true}) {
    for (const char* cpu : {"6811", "68HC16", "8051", "Example", "Z80", "68000", "6301"}) {
      TVoMAssemSyn h;
      h.SetExtendedTables(extended), h.SetCPUTypeString(cpu);
      THashList table(cpu, extended);
      for (int i = 0; i < 3000; ++i) {
        std::string line;
        for (int n = static_cast<int>(random() % 24); n > 0; --n) line += pieces[random() % std::size(pieces)];
        ASSERT_EQ(Tokenize(h, line), Reference(table, line)) << cpu << ": " << line;
      }
    }
  }
}

TEST(AssemSynConfig, SettersNotifyOnlyOnChange) {
  TVoMAssemSyn h;
  TCountingListener listener;
  h.AddChangeListener(&listener);
  const KT numbers = KindsAndTexts(h, "0FFh $1F %01 0x1F");
  h.SetNumberFormat(VoNF_CMode), h.SetListMode(false), h.SetCPUTypeString(""), h.SetExtendedTables(false);
  EXPECT_EQ(listener.calls, 0);
  h.SetNumberFormat(VoNF_MotorolaMode), h.SetListMode(true);
  EXPECT_EQ(KindsAndTexts(h, "0FFh $1F %01 0x1F"), numbers);
  // Names are compared exactly; one without lists is kept, with an empty table.
  for (const char* name : {"68HC12", "68HC12", "68hc12", "Z80"}) h.SetCPUTypeString(name);
  EXPECT_EQ(listener.calls, 5);
  EXPECT_EQ(h.CPUType(), VoCPU_Unknown);
  EXPECT_EQ(KindsAndTexts(h, "ld org"), (KT{{tkIdentifier, "ld"}, {tkSpace, " "}, {tkIdentifier, "org"}}));
  h.SetExtendedTables(true), h.SetExtendedTables(true);
  EXPECT_EQ(KindsAndTexts(h, "ld org"), (KT{{tkKeyword, "ld"}, {tkSpace, " "}, {tkDirective, "org"}}));
  h.SetCPUType(VoCPU_AT90S2313);
  EXPECT_EQ(h.CPUTypeString(), "AT90S2313");
  EXPECT_EQ(KindsAndTexts(h, "adiw"), (KT{{tkKeyword, "adiw"}}));
  // Leaving the processor by value empties name and table alike.
  h.SetCPUType(VoCPU_Unknown);
  EXPECT_TRUE(listener.calls == 8 && h.CPUTypeString().empty());
  EXPECT_EQ(KindsAndTexts(h, "adiw org"), (KT{{tkIdentifier, "adiw"}, {tkSpace, " "}, {tkIdentifier, "org"}}));
  h.RemoveChangeListener(&listener);

  TVoNumberFormat format = VoNF_IntelMode;
  for (const char* bad : {"c", "intel", "", "C-Modus", "Motorola "}) EXPECT_FALSE(NumberFormatFromWord(bad, format));
  for (int i = VoNF_RelaxedMode; i >= 0; --i)
    EXPECT_TRUE(NumberFormatFromWord(NumberFormatWord(static_cast<TVoNumberFormat>(i)), format) && format == i);
}

TEST(AssemSynAttributes, OrderRolesAndNotification) {
  TVoMAssemSyn h;
  h.SetCPUTypeString("6811");
  // Settings and dialogs pair attributes by index: the sorted order is a stored contract.
  const std::pair<const char*, THighlighterAttributes*> order[] = {
      {"comment", h.CommentAttri()}, {"directive", h.DirecAttri()}, {"identifier", h.IdentifierAttri()},
      {"illegal char", h.InvalidAttri()}, {"keyword", h.KeyAttri()}, {"number", h.NumberAttri()},
      {"space", h.SpaceAttri()}, {"string", h.StringAttri()}, {"symbol", h.SymbolAttri()}};
  ASSERT_EQ(h.AttributeCount(), 9);
  for (int i = 0; i < 9; ++i) EXPECT_TRUE(h.Attribute(i) == order[i].second && h.Attribute(i)->Name() == order[i].first) << i;
  EXPECT_TRUE(h.Attribute(9) == nullptr && h.Attribute(-1) == nullptr);
  const THighlighterAttributes* roles[] = {h.CommentAttri(), h.IdentifierAttri(), h.KeyAttri(), h.StringAttri(),
                                           h.SpaceAttri(), nullptr};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(h.DefaultAttribute(i), roles[i]) << i;
  for (int c = 0; c < 256; ++c)
    EXPECT_EQ(h.IdentifierChars()[c], c < 128 && (c == '.' || c == '_' || std::isalnum(c))) << c;

  const std::pair<const char*, THighlighterAttributes*> painted[] = {
      {";c", h.CommentAttri()}, {"org", h.DirecAttri()}, {"x", h.IdentifierAttri()}, {"nop", h.KeyAttri()},
      {"1", h.NumberAttri()},   {" ", h.SpaceAttri()},   {"'s'", h.StringAttri()},   {"#", h.SymbolAttri()},
      {"!", h.IdentifierAttri()}};
  for (const auto& [text, attribute] : painted) EXPECT_EQ((h.SetLine(text, 0), h.TokenAttribute()), attribute) << text;

  // Copying attributes by index between two instances, as views do from the master, notifies.
  h.KeyAttri()->SetForeground(RGBColor(1, 2, 3));
  h.InvalidAttri()->SetStyle(fsUnderline);
  TVoMAssemSyn copy;
  TCountingListener listener;
  copy.AddChangeListener(&listener);
  for (int i = 0; i < h.AttributeCount(); ++i) copy.Attribute(i)->Assign(*h.Attribute(i));
  EXPECT_TRUE(listener.calls == 2 && copy.KeyAttri()->Foreground() == RGBColor(1, 2, 3));
  copy.RemoveChangeListener(&listener);
}

}  // namespace

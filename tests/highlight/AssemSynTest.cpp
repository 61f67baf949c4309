// The assembler highlighter: token sequences, bad input, configuration and attributes.
#include <gtest/gtest.h>

#include <string>

#include "TokenCheck.h"
#include "highlight/AssemSyn.h"

namespace {

using KT = std::vector<std::pair<int, std::string>>;

struct TCountingListener : IHighlighterListener {
  int calls = 0;
  void HighlighterChanged(TCustomHighlighter*) override { ++calls; }
};

TEST(AssemSynTokens, ExampleSampleLines) {
  TVoMAssemSyn h;
  h.SetCPUTypeString("Example");
  EXPECT_EQ(KindsAndTexts(h, "     DIRECTIVE $afff"),
            (KT{{tkSpace, "     "}, {tkDirective, "DIRECTIVE"}, {tkSpace, " "}, {tkNumber, "$afff"}}));
  EXPECT_EQ(KindsAndTexts(h, "     KEYWORD   %01110"),
            (KT{{tkSpace, "     "}, {tkKeyword, "KEYWORD"}, {tkSpace, "   "}, {tkNumber, "%01110"}}));
  EXPECT_EQ(KindsAndTexts(h, "Identifier:"), (KT{{tkIdentifier, "Identifier"}, {tkSymbol, ":"}}));
  KT symbols{{tkIdentifier, "Symbols"}, {tkSymbol, ":"}, {tkSpace, " "}};
  for (char c : std::string("*#::::()")) symbols.push_back({tkSymbol, std::string(1, c)});
  EXPECT_EQ(KindsAndTexts(h, "Symbols: *#::::()"), symbols);
  EXPECT_EQ(KindsAndTexts(h, "; Kommentar mit \"Text\" und $12"), (KT{{tkComment, "; Kommentar mit \"Text\" und $12"}}));
  EXPECT_EQ(KindsAndTexts(h, "ldaa org"), (KT{{tkIdentifier, "ldaa"}, {tkSpace, " "}, {tkIdentifier, "org"}}));
}

TEST(AssemSynTokens, InstructionLineWithStarts) {
  TVoMAssemSyn h;
  h.SetCPUTypeString("6811");
  const std::vector<TToken> expected{
      {tkIdentifier, "loop", 0}, {tkSymbol, ":", 4},   {tkSpace, "  ", 5},    {tkKeyword, "ldaa", 7},
      {tkSpace, "  ", 11},       {tkSymbol, "#", 13},  {tkNumber, "$FF", 14}, {tkSymbol, ",", 17},
      {tkIdentifier, "X", 18},   {tkSpace, "  ", 19},  {tkComment, "; load", 21}};
  EXPECT_EQ(Tokenize(h, "loop:  ldaa  #$FF,X  ; load"), expected);
  EXPECT_EQ(h.TokenKind(), tkEndOfLine);
}

TEST(AssemSynTokens, EmptyLineAndEndOfLineIsSticky) {
  TVoMAssemSyn h;
  h.SetLine("", 0);
  EXPECT_TRUE(h.AtEndOfLine());
  EXPECT_EQ(h.TokenStart(), 0);
  EXPECT_TRUE(h.TokenText().empty());
  EXPECT_EQ(h.TokenAttribute(), nullptr);
  h.Next();
  h.Next();
  EXPECT_TRUE(h.AtEndOfLine());
  h.SetLine("ab", 0);
  h.Next();
  h.Next();
  EXPECT_TRUE(h.AtEndOfLine());
  EXPECT_EQ(h.TokenStart(), 2);
}

TEST(AssemSynTokens, WordsAndKeywordMatching) {
  TVoMAssemSyn h;
  h.SetCPUTypeString("6811");
  for (const char* w : {"ldaa", "LdAa", "LDAA"}) EXPECT_EQ(KindsAndTexts(h, w), (KT{{tkKeyword, w}}));
  EXPECT_EQ(KindsAndTexts(h, "dc.b"), (KT{{tkDirective, "dc.b"}}));
  EXPECT_EQ(KindsAndTexts(h, "LDAA.X"), (KT{{tkIdentifier, "LDAA.X"}}));
  EXPECT_EQ(KindsAndTexts(h, "LDAA,X"), (KT{{tkKeyword, "LDAA"}, {tkSymbol, ","}, {tkIdentifier, "X"}}));
  EXPECT_EQ(KindsAndTexts(h, ".org"), (KT{{tkUnknown, "."}, {tkDirective, "org"}}));
  EXPECT_EQ(KindsAndTexts(h, "_x1.y_2 rts;c"),
            (KT{{tkIdentifier, "_x1.y_2"}, {tkSpace, " "}, {tkKeyword, "rts"}, {tkComment, ";c"}}));
  // The two non-word entries of the common directives are never found.
  EXPECT_EQ(KindsAndTexts(h, "x = 1"),
            (KT{{tkIdentifier, "x"}, {tkSpace, " "}, {tkUnknown, "="}, {tkSpace, " "}, {tkNumber, "1"}}));
  EXPECT_EQ(KindsAndTexts(h, "Zähler"), (KT{{tkIdentifier, "Z"}, {tkUnknown, "\xC3"}, {tkUnknown, "\xA4"},
                                            {tkIdentifier, "hler"}}));
  EXPECT_EQ(KindsAndTexts(h, "Z\xE4hler"), (KT{{tkIdentifier, "Z"}, {tkUnknown, "\xE4"}, {tkIdentifier, "hler"}}));
}

TEST(AssemSynTokens, Numbers) {
  TVoMAssemSyn h;
  h.SetCPUTypeString("6811");
  EXPECT_EQ(KindsAndTexts(h, "0x1F"), (KT{{tkNumber, "0x1F"}}));
  EXPECT_EQ(KindsAndTexts(h, "0X1F"), (KT{{tkNumber, "0"}, {tkIdentifier, "X1F"}}));
  EXPECT_EQ(KindsAndTexts(h, "123q"), (KT{{tkNumber, "123"}, {tkIdentifier, "q"}}));
  EXPECT_EQ(KindsAndTexts(h, "0FFh 17o 1010b 99Hg"),
            (KT{{tkNumber, "0FFh"}, {tkSpace, " "}, {tkNumber, "17o"}, {tkSpace, " "}, {tkNumber, "1010b"},
                {tkSpace, " "}, {tkNumber, "99H"}, {tkIdentifier, "g"}}));
  EXPECT_EQ(KindsAndTexts(h, "$AFFFh"), (KT{{tkNumber, "$AFFF"}, {tkIdentifier, "h"}}));
  EXPECT_EQ(KindsAndTexts(h, "%01102"), (KT{{tkNumber, "%0110"}, {tkNumber, "2"}}));
  EXPECT_EQ(KindsAndTexts(h, "$,%"), (KT{{tkNumber, "$"}, {tkSymbol, ","}, {tkNumber, "%"}}));
  EXPECT_EQ(KindsAndTexts(h, "@17"), (KT{{tkUnknown, "@"}, {tkNumber, "17"}}));
  EXPECT_EQ(KindsAndTexts(h, "-5"), (KT{{tkUnknown, "-"}, {tkNumber, "5"}}));
}

TEST(AssemSynTokens, Strings) {
  TVoMAssemSyn h;
  EXPECT_EQ(KindsAndTexts(h, "fcc \"ab;c\" ;x"),
            (KT{{tkIdentifier, "fcc"}, {tkSpace, " "}, {tkString, "\"ab;c\""}, {tkSpace, " "}, {tkComment, ";x"}}));
  EXPECT_EQ(KindsAndTexts(h, "'abc"), (KT{{tkString, "'abc"}}));
  EXPECT_EQ(KindsAndTexts(h, "\""), (KT{{tkString, "\""}}));
  EXPECT_EQ(KindsAndTexts(h, "\"\""), (KT{{tkString, "\"\""}}));
  EXPECT_EQ(KindsAndTexts(h, "'it''s'"), (KT{{tkString, "'it'"}, {tkString, "'s'"}}));
  EXPECT_EQ(KindsAndTexts(h, "'a\"b'"), (KT{{tkString, "'a\"b'"}}));
  EXPECT_EQ(KindsAndTexts(h, "\"\"\"a\"b\"\"\""),
            (KT{{tkString, "\"\"\"a\""}, {tkIdentifier, "b"}, {tkString, "\"\"\""}}));
  EXPECT_EQ(KindsAndTexts(h, "\"\"\"abc\"\"\""), (KT{{tkString, "\"\"\"abc\""}, {tkString, "\"\""}}));
  EXPECT_EQ(KindsAndTexts(h, "\"\"\""), (KT{{tkString, "\"\"\""}}));
  // A line break cuts the string short and belongs to it.
  EXPECT_EQ(KindsAndTexts(h, "\"ab\r\nx"), (KT{{tkString, "\"ab\r"}, {tkSpace, "\n"}, {tkIdentifier, "x"}}));
  EXPECT_EQ(KindsAndTexts(h, "'\n"), (KT{{tkString, "'\n"}}));
}

TEST(AssemSynTokens, SpacesSymbolsAndLineBreaks) {
  TVoMAssemSyn h;
  EXPECT_EQ(KindsAndTexts(h, " \t\v\f \x1F x"), (KT{{tkSpace, " \t\v\f \x1F "}, {tkIdentifier, "x"}}));
  EXPECT_EQ(KindsAndTexts(h, "\r\n\n\r\r \n"),
            (KT{{tkSpace, "\r\n"}, {tkSpace, "\n"}, {tkSpace, "\r"}, {tkSpace, "\r"}, {tkSpace, " "}, {tkSpace, "\n"}}));
  EXPECT_EQ(KindsAndTexts(h, ";a\r\nb"), (KT{{tkComment, ";a"}, {tkSpace, "\r\n"}, {tkIdentifier, "b"}}));
  EXPECT_EQ(KindsAndTexts(h, "::"), (KT{{tkSymbol, ":"}, {tkSymbol, ":"}}));
  EXPECT_EQ(KindsAndTexts(h, "+="), (KT{{tkUnknown, "+"}, {tkUnknown, "="}}));
}

TEST(AssemSynTokens, NulByteIsAnOrdinaryCharacter) {
  TVoMAssemSyn h;
  h.SetCPUTypeString("6811");
  const std::string line("ab\0ldaa \"x\0y\" ;c\0d", 18);
  EXPECT_EQ(KindsAndTexts(h, line),
            (KT{{tkIdentifier, "ab"}, {tkUnknown, std::string(1, '\0')}, {tkKeyword, "ldaa"}, {tkSpace, " "},
                {tkString, std::string("\"x\0y\"", 5)}, {tkSpace, " "}, {tkComment, std::string(";c\0d", 4)}}));
  h.SetLine(line, 0);
  h.Next();
  EXPECT_EQ(h.TokenKind(), tkUnknown);
  EXPECT_EQ(h.TokenAttribute(), h.IdentifierAttri());
}

TEST(AssemSynTokens, ReadsNothingBeyondTheView) {
  TVoMAssemSyn h;
  h.SetCPUTypeString("6811");
  // Views cut out of a longer buffer: what follows the view must not change the tokens.
  const std::string buffer = "'ab'\r\nldaa$FF;zz\"\"\"";
  EXPECT_EQ(KindsAndTexts(h, std::string_view(buffer).substr(0, 3)), (KT{{tkString, "'ab"}}));
  EXPECT_EQ(KindsAndTexts(h, std::string_view(buffer).substr(0, 5)), (KT{{tkString, "'ab'"}, {tkSpace, "\r"}}));
  EXPECT_EQ(KindsAndTexts(h, std::string_view(buffer).substr(6, 3)), (KT{{tkIdentifier, "lda"}}));
  EXPECT_EQ(KindsAndTexts(h, std::string_view(buffer).substr(10, 2)), (KT{{tkNumber, "$F"}}));
  EXPECT_EQ(KindsAndTexts(h, std::string_view(buffer).substr(17, 2)), (KT{{tkString, "\"\""}}));
  EXPECT_EQ(KindsAndTexts(h, std::string_view(buffer).substr(17, 1)), (KT{{tkString, "\""}}));

  // Every byte value, alone and all in one line.
  std::string all;
  for (int c = 0; c < 256; ++c) {
    const std::string one(1, static_cast<char>(c));
    const auto tokens = Tokenize(h, one);
    ASSERT_EQ(tokens.size(), 1u) << c;
    all += one;
  }
  Tokenize(h, all);
  Tokenize(h, std::string(all.rbegin(), all.rend()));
}

// Long lines are checked without collecting tokens, to keep memory small.
size_t CountTokens(TVoMAssemSyn& h, std::string_view line) {
  size_t count = 0;
  size_t end = 0;
  for (h.SetLine(line, 0); !h.AtEndOfLine(); h.Next()) {
    if (static_cast<size_t>(h.TokenStart()) != end || h.TokenText().empty()) return SIZE_MAX;
    end += h.TokenText().size();
    ++count;
  }
  return end == line.size() ? count : SIZE_MAX;
}

TEST(AssemSynTokens, HugeLines) {
  TVoMAssemSyn h;
  h.SetCPUTypeString("6811");
  const size_t big = 10u << 20;
  EXPECT_EQ(CountTokens(h, std::string(big, 'a')), 1u);
  EXPECT_EQ(CountTokens(h, "'" + std::string(big, 'x')), 1u);
  EXPECT_EQ(CountTokens(h, std::string(big, '"')), big / 4);  // three open, the fourth closes
  EXPECT_EQ(CountTokens(h, std::string(big, ':')), big);
  EXPECT_EQ(CountTokens(h, std::string(big, '\0')), big);
}

TEST(AssemSynConfig, ProcessorSetters) {
  TVoMAssemSyn h;
  EXPECT_EQ(h.CPUType(), VoCPU_Unknown);
  EXPECT_EQ(h.CPUTypeString(), "");
  TCountingListener listener;
  h.AddChangeListener(&listener);

  h.SetCPUTypeString("68HC12");
  h.SetCPUTypeString("68HC12");
  EXPECT_EQ(listener.calls, 1);
  EXPECT_EQ(h.CPUType(), VoCPU_68HC12);
  EXPECT_EQ(KindsAndTexts(h, "lbra"), (KT{{tkKeyword, "lbra"}}));

  h.SetCPUTypeString("68hc12");
  EXPECT_EQ(listener.calls, 2);
  EXPECT_EQ(h.CPUType(), VoCPU_Unknown);
  EXPECT_EQ(h.CPUTypeString(), "68hc12");
  EXPECT_EQ(KindsAndTexts(h, "lbra"), (KT{{tkIdentifier, "lbra"}}));

  h.SetCPUTypeString("Z80");
  EXPECT_EQ(h.CPUType(), VoCPU_Unknown);
  EXPECT_EQ(h.CPUTypeString(), "Z80");
  EXPECT_EQ(KindsAndTexts(h, "ld org"), (KT{{tkIdentifier, "ld"}, {tkSpace, " "}, {tkIdentifier, "org"}}));
  EXPECT_EQ(listener.calls, 3);

  h.SetCPUType(VoCPU_AT90S2313);
  EXPECT_EQ(listener.calls, 4);
  EXPECT_EQ(h.CPUTypeString(), "AT90S2313");
  EXPECT_EQ(KindsAndTexts(h, "adiw"), (KT{{tkKeyword, "adiw"}}));
  h.SetCPUType(VoCPU_AT90S2313);
  EXPECT_EQ(listener.calls, 4);

  // Leaving the processor by value empties name and table alike.
  h.SetCPUType(VoCPU_Unknown);
  EXPECT_EQ(listener.calls, 5);
  EXPECT_EQ(h.CPUTypeString(), "");
  EXPECT_EQ(KindsAndTexts(h, "adiw"), (KT{{tkIdentifier, "adiw"}}));

  h.SetCPUTypeString("");
  EXPECT_EQ(listener.calls, 5);
  h.RemoveChangeListener(&listener);
}

TEST(AssemSynConfig, NumberFormatAndListModeNotifyOnlyOnChange) {
  TVoMAssemSyn h;
  TCountingListener listener;
  h.AddChangeListener(&listener);
  EXPECT_EQ(h.NumberFormat(), VoNF_CMode);
  EXPECT_FALSE(h.ListMode());
  const KT before = KindsAndTexts(h, "0FFh $1F %01 0x1F");
  h.SetNumberFormat(VoNF_CMode);
  h.SetListMode(false);
  EXPECT_EQ(listener.calls, 0);
  h.SetNumberFormat(VoNF_MotorolaMode);
  h.SetNumberFormat(VoNF_MotorolaMode);
  h.SetListMode(true);
  EXPECT_EQ(listener.calls, 2);
  EXPECT_EQ(h.NumberFormat(), VoNF_MotorolaMode);
  EXPECT_TRUE(h.ListMode());
  EXPECT_EQ(KindsAndTexts(h, "0FFh $1F %01 0x1F"), before);
  h.RemoveChangeListener(&listener);
}

TEST(AssemSynConfig, NumberFormatWords) {
  const char* words[] = {"C", "Intel", "Motorola", "Relaxed"};
  const char* captions[] = {"C-Modus", "Intel-Modus", "Motorola-Modus", "Relaxed-Modus"};
  for (int i = 0; i < 4; ++i) {
    const auto f = static_cast<TVoNumberFormat>(i);
    EXPECT_STREQ(NumberFormatWord(f), words[i]);
    EXPECT_STREQ(NumberFormatCaption(f), captions[i]);
    TVoNumberFormat parsed = VoNF_RelaxedMode;
    EXPECT_TRUE(NumberFormatFromWord(words[i], parsed));
    EXPECT_EQ(parsed, f);
  }
  TVoNumberFormat unchanged = VoNF_IntelMode;
  for (const char* bad : {"c", "intel", "", "C-Modus", "Motorola "}) EXPECT_FALSE(NumberFormatFromWord(bad, unchanged));
  EXPECT_EQ(unchanged, VoNF_IntelMode);
}

TEST(AssemSynAttributes, OrderStylesAndColours) {
  TVoMAssemSyn h;
  const char* names[] = {"comment", "directive", "identifier", "illegal char", "keyword",
                         "number",  "space",     "string",     "symbol"};
  THighlighterAttributes* props[] = {h.CommentAttri(), h.DirecAttri(),  h.IdentifierAttri(),
                                     h.InvalidAttri(), h.KeyAttri(),    h.NumberAttri(),
                                     h.SpaceAttri(),   h.StringAttri(), h.SymbolAttri()};
  const TFontStyles styles[] = {fsItalic, fsBold, 0, 0, fsBold, 0, 0, 0, 0};
  ASSERT_EQ(h.AttributeCount(), 9);
  for (int i = 0; i < 9; ++i) {
    THighlighterAttributes* a = h.Attribute(i);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->Name(), names[i]);
    EXPECT_EQ(a, props[i]) << names[i];
    EXPECT_EQ(a->Style(), styles[i]) << names[i];
    EXPECT_EQ(a->Background(), clNone) << names[i];
    EXPECT_EQ(a->Foreground(), a == h.SpaceAttri() ? clWindow : clNone) << names[i];
  }
  EXPECT_EQ(h.Attribute(9), nullptr);
  EXPECT_EQ(h.Attribute(-1), nullptr);

  EXPECT_EQ(h.DefaultAttribute(0), h.CommentAttri());
  EXPECT_EQ(h.DefaultAttribute(1), h.IdentifierAttri());
  EXPECT_EQ(h.DefaultAttribute(2), h.KeyAttri());
  EXPECT_EQ(h.DefaultAttribute(3), h.StringAttri());
  EXPECT_EQ(h.DefaultAttribute(4), h.SpaceAttri());
  EXPECT_EQ(h.DefaultAttribute(5), nullptr);
  EXPECT_EQ(h.DefaultAttribute(-1), nullptr);

  EXPECT_EQ(h.LanguageName(), "Assembler");
  EXPECT_EQ(h.DefaultFilter(), "68HC11 Assembler files (*.hc11,*.asm,*.asc)|*.HC11;*.ASM;*.ASC");
  EXPECT_FALSE(h.UsesLineStates());
  EXPECT_EQ(h.LineState(), 0u);
  const TCharSet& chars = h.IdentifierChars();
  for (int c = 0; c < 256; ++c) {
    const bool word = c == '.' || c == '_' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    EXPECT_EQ(chars[c], word) << c;
  }
}

TEST(AssemSynAttributes, TokenAttributesAndChangeNotification) {
  TVoMAssemSyn h;
  h.SetCPUTypeString("6811");
  const std::pair<const char*, THighlighterAttributes*> cases[] = {
      {";c", h.CommentAttri()},    {"org", h.DirecAttri()},   {"x", h.IdentifierAttri()},
      {"nop", h.KeyAttri()},       {"1", h.NumberAttri()},    {" ", h.SpaceAttri()},
      {"'s'", h.StringAttri()},    {"#", h.SymbolAttri()},    {"!", h.IdentifierAttri()}};
  for (const auto& [text, attribute] : cases) {
    h.SetLine(text, 0);
    EXPECT_EQ(h.TokenAttribute(), attribute) << text;
  }

  TCountingListener listener;
  h.AddChangeListener(&listener);
  h.KeyAttri()->SetForeground(RGBColor(1, 2, 3));
  h.KeyAttri()->SetForeground(RGBColor(1, 2, 3));
  h.InvalidAttri()->SetStyle(fsUnderline);
  EXPECT_EQ(listener.calls, 2);

  // Copying attributes by index between two instances, as views do from the master.
  TVoMAssemSyn copy;
  TCountingListener copyListener;
  copy.AddChangeListener(&copyListener);
  for (int i = 0; i < h.AttributeCount(); ++i) copy.Attribute(i)->Assign(*h.Attribute(i));
  EXPECT_EQ(copyListener.calls, 2);
  EXPECT_EQ(copy.KeyAttri()->Foreground(), RGBColor(1, 2, 3));
  EXPECT_EQ(copy.InvalidAttri()->Style(), fsUnderline);
  h.RemoveChangeListener(&listener);
  copy.RemoveChangeListener(&copyListener);
}

}  // namespace

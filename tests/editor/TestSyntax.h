#pragma once
// A test highlighter: block comments "{" ... "}" that may span lines; logs the calls it gets.
#include <string>
#include <vector>

#include "highlight/Highlighter.h"

class TCommentSyn : public TCustomHighlighter {
 public:
  explicit TCommentSyn(bool states = true) : FStates(states) {
    FComment = AddAttribute(std::make_unique<THighlighterAttributes>("comment"));
    FText = AddAttribute(std::make_unique<THighlighterAttributes>("text"));
    SetAttributeChangeHandler([this](THighlighterAttributes*) { NotifyChanged(); });
  }
  std::vector<std::string> Log;

  THighlighterAttributes* DefaultAttribute(int i) const override { return i == 0 ? FComment : i == 4 ? FText : nullptr; }
  bool AtEndOfLine() const override { return FPos >= FLine.size(); }
  TLineState LineState() const override { return FInComment ? 1 : 0; }
  std::string_view TokenText() const override { return FLine.substr(FPos, FLen); }
  THighlighterAttributes* TokenAttribute() const override { return FTokenComment ? FComment : FText; }
  int TokenKind() const override { return FTokenComment ? 0 : 1; }
  int TokenStart() const override { return static_cast<int>(FPos); }
  bool UsesLineStates() const override { return FStates; }
  void Next() override { Scan(FPos + FLen); }
  void SetLine(std::string_view line, int index) override {
    Log.push_back("SetLine " + std::string(line) + " " + std::to_string(index));
    FLine = line;
    Scan(0);
  }
  void SetLineState(TLineState s) override { FInComment = s == 1; }
  void ResetLineState() override {
    Log.push_back("Reset");
    FInComment = false;
  }

 private:
  void Scan(std::size_t from) {
    FPos = from;
    FLen = 0;
    if (FPos >= FLine.size()) return;
    FTokenComment = FInComment || FLine[FPos] == '{';
    const std::size_t stop = FLine.find(FTokenComment ? '}' : '{', FPos);
    if (FTokenComment) FInComment = stop == std::string_view::npos;
    FLen = stop == std::string_view::npos ? FLine.size() - FPos : stop - FPos + (FTokenComment ? 1 : 0);
  }
  bool FStates;
  THighlighterAttributes *FComment, *FText;
  std::string_view FLine;
  std::size_t FPos = 0, FLen = 0;
  bool FInComment = false, FTokenComment = false;
};

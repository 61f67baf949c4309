#pragma once
// The contract between the editor control and a highlighter: display attributes, change
// listeners and the per-line token calls. The editor never knows the language.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "highlight/ColorValue.h"

class THighlighterAttributes {
 public:
  using TChangeHandler = std::function<void(THighlighterAttributes*)>;

  explicit THighlighterAttributes(std::string name);

  const std::string& Name() const { return FName; }
  TColorValue Background() const { return FBackground; }
  TColorValue Foreground() const { return FForeground; }
  TFontStyles Style() const { return FStyle; }

  // Each setter notifies the change handler only when the value really changes.
  void SetBackground(TColorValue value);
  void SetForeground(TColorValue value);
  void SetStyle(TFontStyles value);

  // Copies name, colours and style; notifies once when colours or style changed.
  void Assign(const THighlighterAttributes& source);

  void SetChangeHandler(TChangeHandler handler) { FOnChange = std::move(handler); }

 private:
  void Changed();

  std::string FName;
  TColorValue FBackground = clNone;
  TColorValue FForeground = clNone;
  TFontStyles FStyle = 0;
  TChangeHandler FOnChange;
};

class TCustomHighlighter;

// Something that wants to hear about highlighter changes (an editor repaints).
class IHighlighterListener {
 public:
  virtual ~IHighlighterListener() = default;
  virtual void HighlighterChanged(TCustomHighlighter* sender) = 0;
  // The highlighter is being destroyed: drop every reference to it.
  virtual void HighlighterDestroyed(TCustomHighlighter*) {}
};

// Set of the 256 character codes, indexed by unsigned char.
using TCharSet = std::array<bool, 256>;

// Opaque per-line start state; 0 is "none".
using TLineState = std::uintptr_t;

// Raised when a second attribute of the same name is registered.
class EDuplicateAttribute : public std::runtime_error {
 public:
  EDuplicateAttribute() : std::runtime_error("In der Stringliste sind Duplikate nicht erlaubt") {}
};

class TCustomHighlighter {
 public:
  TCustomHighlighter();
  virtual ~TCustomHighlighter();
  TCustomHighlighter(const TCustomHighlighter&) = delete;
  TCustomHighlighter& operator=(const TCustomHighlighter&) = delete;

  // Registers an attribute in the list sorted by name (case ignored); the highlighter owns it.
  // Throws EDuplicateAttribute when the name is taken. Returns the registered attribute.
  THighlighterAttributes* AddAttribute(std::unique_ptr<THighlighterAttributes> attribute);
  void SetAttributeChangeHandler(const THighlighterAttributes::TChangeHandler& handler);
  void NotifyChanged();
  void AddChangeListener(IHighlighterListener* listener);
  void RemoveChangeListener(IHighlighterListener* listener);  // removes every registration
  void ScanToEndOfLine();

  virtual int AttributeCount() const;
  virtual THighlighterAttributes* Attribute(int index) const;
  // 0 comment, 1 identifier, 2 keyword, 3 string, 4 whitespace; nullptr for a missing role.
  virtual THighlighterAttributes* DefaultAttribute(int index) const = 0;
  virtual std::string DefaultFilter() const { return FDefaultFilter; }
  virtual const TCharSet& IdentifierChars() const;
  virtual void SetDefaultFilter(const std::string& filter) { FDefaultFilter = filter; }
  virtual std::string LanguageName() const { return "<Unknown>"; }
  virtual bool AtEndOfLine() const = 0;
  virtual TLineState LineState() const { return 0; }
  // Text of the current token; a view into the line given to SetLine.
  virtual std::string_view TokenText() const = 0;
  virtual THighlighterAttributes* TokenAttribute() const = 0;
  virtual int TokenKind() const = 0;
  virtual int TokenStart() const = 0;  // 0-based byte offset in the line
  virtual void Next() = 0;
  // Starts a line; the caller keeps the bytes alive and unchanged until the next SetLine.
  // The line may contain any byte, NUL included; its end is given by the view's size.
  virtual void SetLine(std::string_view line, int lineIndex) = 0;
  virtual void SetLineState(TLineState) {}
  virtual void ResetLineState() {}

  // False when every line is tokenised on its own (LineState is always none). An editor then
  // skips the line-state scans, which would only ever store "none".
  virtual bool UsesLineStates() const { return true; }

 private:
  std::vector<std::unique_ptr<THighlighterAttributes>> FAttributes;  // sorted by name
  std::vector<IHighlighterListener*> FListeners;
  std::string FDefaultFilter;
};

// Character codes 33 to 255.
const TCharSet& DefaultIdentifierChars();

#include "highlight/Highlighter.h"

#include <algorithm>
#include <cctype>

THighlighterAttributes::THighlighterAttributes(std::string name) : FName(std::move(name)) {}

void THighlighterAttributes::Changed() {
  if (FOnChange) FOnChange(this);
}

void THighlighterAttributes::SetBackground(TColorValue value) {
  if (value == FBackground) return;
  FBackground = value;
  Changed();
}

void THighlighterAttributes::SetForeground(TColorValue value) {
  if (value == FForeground) return;
  FForeground = value;
  Changed();
}

void THighlighterAttributes::SetStyle(TFontStyles value) {
  if (value == FStyle) return;
  FStyle = value;
  Changed();
}

void THighlighterAttributes::Assign(const THighlighterAttributes& source) {
  if (&source == this) return;
  FName = source.FName;
  const bool changed = FBackground != source.FBackground || FForeground != source.FForeground ||
                       FStyle != source.FStyle;
  FBackground = source.FBackground;
  FForeground = source.FForeground;
  FStyle = source.FStyle;
  if (changed) Changed();
}

TCustomHighlighter::TCustomHighlighter() = default;

TCustomHighlighter::~TCustomHighlighter() {
  // Listeners still registered would otherwise keep a dangling pointer.
  const std::vector<IHighlighterListener*> listeners = FListeners;
  for (IHighlighterListener* l : listeners) l->HighlighterDestroyed(this);
  while (!FAttributes.empty()) FAttributes.pop_back();  // last to first
}

static int CompareNoCase(const std::string& a, const std::string& b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const int ca = std::tolower(static_cast<unsigned char>(a[i]));
    const int cb = std::tolower(static_cast<unsigned char>(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

THighlighterAttributes* TCustomHighlighter::AddAttribute(std::unique_ptr<THighlighterAttributes> attribute) {
  auto pos = std::lower_bound(FAttributes.begin(), FAttributes.end(), attribute->Name(),
                              [](const std::unique_ptr<THighlighterAttributes>& a, const std::string& name) {
                                return CompareNoCase(a->Name(), name) < 0;
                              });
  if (pos != FAttributes.end() && CompareNoCase((*pos)->Name(), attribute->Name()) == 0)
    throw EDuplicateAttribute();
  THighlighterAttributes* result = attribute.get();
  FAttributes.insert(pos, std::move(attribute));
  return result;
}

void TCustomHighlighter::SetAttributeChangeHandler(const THighlighterAttributes::TChangeHandler& handler) {
  for (auto& a : FAttributes) a->SetChangeHandler(handler);
}

void TCustomHighlighter::NotifyChanged() {
  // A copy, so that a listener may unregister itself while being told.
  const std::vector<IHighlighterListener*> listeners = FListeners;
  for (IHighlighterListener* l : listeners) l->HighlighterChanged(this);
}

void TCustomHighlighter::AddChangeListener(IHighlighterListener* listener) { FListeners.push_back(listener); }

void TCustomHighlighter::RemoveChangeListener(IHighlighterListener* listener) {
  std::erase(FListeners, listener);
}

void TCustomHighlighter::ScanToEndOfLine() {
  while (!AtEndOfLine()) Next();
}

int TCustomHighlighter::AttributeCount() const { return static_cast<int>(FAttributes.size()); }

THighlighterAttributes* TCustomHighlighter::Attribute(int index) const {
  if (index < 0 || index >= AttributeCount()) return nullptr;
  return FAttributes[static_cast<size_t>(index)].get();
}

const TCharSet& DefaultIdentifierChars() {
  static const TCharSet set = [] {
    TCharSet s{};
    for (int c = 33; c <= 255; ++c) s[static_cast<size_t>(c)] = true;
    return s;
  }();
  return set;
}

const TCharSet& TCustomHighlighter::IdentifierChars() const { return DefaultIdentifierChars(); }

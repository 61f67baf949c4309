#pragma once
// Types of the editor control that other areas use: commands, options, status-change reasons,
// search options, replace actions, marks. No widgets here.
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

// Editor command numbers (stable: key tables and OnCommandProcessed carry them).
enum TEditCommand : int {
  ecNone = 0,
  ecLeft = 1, ecRight = 2, ecUp = 3, ecDown = 4, ecWordLeft = 5, ecWordRight = 6,
  ecLineStart = 7, ecLineEnd = 8, ecPageUp = 9, ecPageDown = 10, ecPageLeft = 11,
  ecPageRight = 12, ecPageTop = 13, ecPageBottom = 14, ecEditorTop = 15, ecEditorBottom = 16,
  ecGotoXY = 17,
  ecSelection = 100,
  ecSelLeft = 101, ecSelRight = 102, ecSelUp = 103, ecSelDown = 104, ecSelWordLeft = 105,
  ecSelWordRight = 106, ecSelLineStart = 107, ecSelLineEnd = 108, ecSelPageUp = 109,
  ecSelPageDown = 110, ecSelPageLeft = 111, ecSelPageRight = 112, ecSelPageTop = 113,
  ecSelPageBottom = 114, ecSelEditorTop = 115, ecSelEditorBottom = 116, ecSelGotoXY = 117,
  ecSelectAll = 199, ecCopy = 201,
  ecScrollUp = 211, ecScrollDown = 212, ecScrollLeft = 213, ecScrollRight = 214,
  ecInsertMode = 221, ecOverwriteMode = 222, ecToggleMode = 223,
  ecNormalSelect = 231, ecColumnSelect = 232, ecLineSelect = 233, ecMatchBracket = 250,
  ecGotoMarker0 = 301, ecGotoMarker9 = 310, ecSetMarker0 = 351, ecSetMarker9 = 360,
  ecDeleteLastChar = 501, ecDeleteChar = 502, ecDeleteWord = 503, ecDeleteLastWord = 504,
  ecDeleteBOL = 505, ecDeleteEOL = 506, ecDeleteLine = 507, ecClearAll = 508,
  ecLineBreak = 509, ecInsertLine = 510, ecChar = 511, ecImeStr = 550,
  ecUndo = 601, ecRedo = 602, ecCut = 603, ecPaste = 604, ecBlockIndent = 610,
  ecBlockUnindent = 611, ecTab = 612, ecShiftTab = 613, ecAutoCompletion = 650,
  ecUserFirst = 1001,
};

// Status-change reasons, a set of bits in this order.
enum TStatusChange : unsigned {
  scAll = 1u << 0,
  scCaretX = 1u << 1,
  scCaretY = 1u << 2,
  scLeftChar = 1u << 3,
  scTopLine = 1u << 4,
  scInsertMode = 1u << 5,
  scModified = 1u << 6,
  scSelection = 1u << 7,
};
using TStatusChanges = unsigned;

enum class TSelectionMode { smNormal, smLine, smColumn };
enum class TCaretType { ctVerticalLine, ctHorizontalLine, ctHalfBlock, ctBlock };

// Editor options, a set of bits.
enum TEditOption : unsigned {
  eoAltSetsColumnMode = 1u << 0,
  eoAutoIndent = 1u << 1,
  eoDragDropEditing = 1u << 2,
  eoDropFiles = 1u << 3,
  eoHalfPageScroll = 1u << 4,
  eoKeepCaretX = 1u << 5,
  eoNoCaret = 1u << 6,
  eoNoSelection = 1u << 7,
  eoScrollByOneLess = 1u << 8,
  eoScrollPastEof = 1u << 9,
  eoScrollPastEol = 1u << 10,
  eoShowScrollHint = 1u << 11,
  eoSmartTabs = 1u << 12,
  eoTabsToSpaces = 1u << 13,
  eoTrimTrailingSpaces = 1u << 14,
};
using TEditOptions = unsigned;
constexpr TEditOptions DefaultEditOptions = eoAutoIndent | eoDragDropEditing | eoScrollPastEol |
                                            eoShowScrollHint | eoSmartTabs | eoTabsToSpaces |
                                            eoTrimTrailingSpaces;

// Search-and-replace options, a set of bits.
enum TSearchOption : unsigned {
  ssoMatchCase = 1u << 0,
  ssoWholeWord = 1u << 1,
  ssoBackwards = 1u << 2,
  ssoEntireScope = 1u << 3,
  ssoSelectedOnly = 1u << 4,
  ssoReplace = 1u << 5,
  ssoReplaceAll = 1u << 6,
  ssoPrompt = 1u << 7,
};
using TSearchOptions = unsigned;

enum class TReplaceAction { raCancel = 0, raSkip = 1, raReplace = 2, raReplaceAll = 3 };

// One key binding: command, key with modifiers (a QKeyCombination as int), optional second key.
struct TEditKeyStroke {
  int Command = ecNone;
  int Key = 0;       // Qt::Key | Qt::KeyboardModifiers, as QKeyCombination::toCombined()
  int Key2 = 0;      // 0 = none
};

// The key table of a new editor (80 bindings).
std::vector<TEditKeyStroke> DefaultKeystrokes();

// A file could not be read or written; the message says which file and why (German, for the user).
class EEditFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

#include <Qt>

#include "editor/EditTypes.h"

std::vector<TEditKeyStroke> DefaultKeystrokes() {
  constexpr int S = Qt::ShiftModifier, C = Qt::ControlModifier, A = Qt::AltModifier;
  std::vector<TEditKeyStroke> k = {
      {ecUp, Qt::Key_Up},           {ecSelUp, S | Qt::Key_Up},
      {ecScrollUp, C | Qt::Key_Up}, {ecDown, Qt::Key_Down},
      {ecSelDown, S | Qt::Key_Down}, {ecScrollDown, C | Qt::Key_Down},
      {ecLeft, Qt::Key_Left},       {ecSelLeft, S | Qt::Key_Left},
      {ecWordLeft, C | Qt::Key_Left}, {ecSelWordLeft, C | S | Qt::Key_Left},
      {ecRight, Qt::Key_Right},     {ecSelRight, S | Qt::Key_Right},
      {ecWordRight, C | Qt::Key_Right}, {ecSelWordRight, C | S | Qt::Key_Right},
      {ecPageDown, Qt::Key_PageDown}, {ecSelPageDown, S | Qt::Key_PageDown},
      {ecPageBottom, C | Qt::Key_PageDown}, {ecSelPageBottom, C | S | Qt::Key_PageDown},
      {ecPageUp, Qt::Key_PageUp},   {ecSelPageUp, S | Qt::Key_PageUp},
      {ecPageTop, C | Qt::Key_PageUp}, {ecSelPageTop, C | S | Qt::Key_PageUp},
      {ecLineStart, Qt::Key_Home},  {ecSelLineStart, S | Qt::Key_Home},
      {ecEditorTop, C | Qt::Key_Home}, {ecSelEditorTop, C | S | Qt::Key_Home},
      {ecLineEnd, Qt::Key_End},     {ecSelLineEnd, S | Qt::Key_End},
      {ecEditorBottom, C | Qt::Key_End}, {ecSelEditorBottom, C | S | Qt::Key_End},
      {ecToggleMode, Qt::Key_Insert}, {ecCopy, C | Qt::Key_Insert},
      {ecPaste, S | Qt::Key_Insert}, {ecDeleteChar, Qt::Key_Delete},
      {ecCut, S | Qt::Key_Delete},  {ecDeleteLastChar, Qt::Key_Backspace},
      {ecDeleteLastChar, S | Qt::Key_Backspace}, {ecDeleteLastWord, C | Qt::Key_Backspace},
      {ecUndo, A | Qt::Key_Backspace}, {ecRedo, A | S | Qt::Key_Backspace},
      {ecLineBreak, Qt::Key_Return}, {ecSelectAll, C | Qt::Key_A},
      {ecCopy, C | Qt::Key_C},      {ecBlockIndent, C | S | Qt::Key_I},
      {ecLineBreak, C | Qt::Key_M}, {ecInsertLine, C | Qt::Key_N},
      {ecDeleteWord, C | Qt::Key_T}, {ecBlockUnindent, C | S | Qt::Key_U},
      {ecPaste, C | Qt::Key_V},     {ecCut, C | Qt::Key_X},
      {ecDeleteLine, C | Qt::Key_Y}, {ecDeleteEOL, C | S | Qt::Key_Y},
      {ecUndo, C | Qt::Key_Z},      {ecRedo, C | S | Qt::Key_Z},
  };
  for (int n = 0; n <= 9; ++n) k.push_back({ecGotoMarker0 + n, C | (Qt::Key_0 + n)});
  for (int n = 0; n <= 9; ++n) k.push_back({ecSetMarker0 + n, C | S | (Qt::Key_0 + n)});
  k.insert(k.end(), {
                        {ecNormalSelect, C | S | Qt::Key_N},
                        {ecColumnSelect, C | S | Qt::Key_C},
                        {ecLineSelect, C | S | Qt::Key_L},
                        {ecTab, Qt::Key_Tab},
                        {ecShiftTab, S | Qt::Key_Backtab},
                        {ecMatchBracket, C | S | Qt::Key_B},
                    });
  return k;
}

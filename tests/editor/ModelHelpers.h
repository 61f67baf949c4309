#pragma once
// Small helpers for driving the editor core in tests.
#include <string>
#include <vector>

#include "editor/EditorModel.h"

inline void Load(TEditorModel& m, const std::string& bytes) {
  m.Lines().LoadFromBytes(bytes);
  m.SetViewSize(20, 80);
}

inline std::string Text(const TEditorModel& m) {
  std::string s;
  for (int i = 0; i < m.Lines().Count(); ++i) {
    if (i) s += '|';
    s.append(m.Lines()[i]);
  }
  return s;
}

inline void Type(TEditorModel& m, const std::string& ascii) {
  for (char c : ascii) {
    if (c == '\n') m.ExecuteCommand(ecLineBreak);
    else m.ExecuteCommand(ecChar, QChar(c));
  }
}

inline void Exec(TEditorModel& m, std::initializer_list<int> commands) {
  for (int c : commands) m.ExecuteCommand(c);
}

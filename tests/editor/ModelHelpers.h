#pragma once
// Small helpers for driving the editor core in tests.
#include <QFile>

#include <string>
#include <vector>

#include "editor/EditorModel.h"

inline void Load(TEditorModel& m, const std::string& bytes) {
  m.Lines().LoadFromBytes(bytes);
  m.SetViewSize(20, 80);
}

// The clipboard of a test: its text and whether that is a column block.
struct TTestClipboard {
  QString Text;
  bool Block = false;
  explicit TTestClipboard(TEditorModel& m) {
    m.SetClipboard = [this](const QString& t, bool b) { Text = t, Block = b; };
    m.GetClipboard = [this](bool& b) { return b = Block, Text; };
  }
};

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

// About 6 MiB of source lines: more than a load reads at once.
inline std::string BigSource(const char* lineEnd) {
  std::string s;
  for (int i = 0; s.size() < (6u << 20); ++i) s += "\tLDAA #" + std::to_string(i) + lineEnd;
  return s;
}

inline void WriteFile(const QString& path, const std::string& bytes) {
  QFile f(path);
  if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

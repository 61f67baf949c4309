#pragma once
// The three sections of Kodrill.ini as objects.
#include <QString>
#include <QStringList>

#include <memory>

#include "settings/StringIniList.h"

class TVoMAssemSyn;

// Assembler executables an installation directory is checked for, relative to it, native
// separators, most preferred first: on Windows "bin\as.exe", "bin\asw.exe"; elsewhere the
// native build "bin/asl" first, then the two Windows names.
QStringList KnownAssemblerExecutables();
// Defaults where the settings file names no assembler installation.
QString DefaultAsDirectory();
QString DefaultAsExecutable();
// The include directory of the assembler installed in AsDirectory (as the settings store it);
// "" when none is set.
QString AssemblerIncludeDirectory(const QString& asDirectory);

class TPrefs {
 public:
  virtual ~TPrefs() = default;
  // Clears the section list, writes the fields in the fixed key order and returns the list.
  virtual const TStringIniList& SaveToList() = 0;
  // Copies List into the section list, then reads every field with its default.
  virtual void LoadFromList(const TStringIniList* list) = 0;

 protected:
  TStringIniList FList;
};

class TAssemblerPrefs : public TPrefs {
 public:
  TAssemblerPrefs();
  QString AsDirectory;
  QString AsExecutable;
  QString DefaultProcessor;
  QString DefaultNumberFormat;
  const TStringIniList& SaveToList() override;
  void LoadFromList(const TStringIniList* list) override;
};

// Editor font sizes, in points, a settings file may give. Below 4 no letter is legible; above
// 200 one line takes a quarter of a full-HD screen, and font engines draw empty boxes for sizes far
// beyond (100000). Anything outside, like a size that is no number, gives the default.
constexpr int MinFontSize = 4;
constexpr int MaxFontSize = 200;
constexpr int DefaultFontSize = 10;

class THighLighterPrefs : public TPrefs {
 public:
  THighLighterPrefs();
  ~THighLighterPrefs() override;
  TVoMAssemSyn* HighLighter() const { return FHighLighter.get(); }  // the master attributes
  QString FontName;
  int FontSize = 0;
  const TStringIniList& SaveToList() override;
  void LoadFromList(const TStringIniList* list) override;

 private:
  std::unique_ptr<TVoMAssemSyn> FHighLighter;
};

class TGeneralPrefs : public TPrefs {
 public:
  int WindowLeft = 0;
  int WindowTop = 0;
  QString ProjectDirectory;
  QString KodrillDirectory;
  bool ShowLineNumbers = false;  // in the gutter of every editor
  const TStringIniList& SaveToList() override;
  void LoadFromList(const TStringIniList* list) override;
};

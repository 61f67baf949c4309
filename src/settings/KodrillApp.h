#pragma once
// The application object: version, the one current project and the user's settings.
#include <QString>

#include <memory>

#include "settings/Prefs.h"
#include "settings/Project.h"
#include "settings/RecentFiles.h"

class TKodrillApp {
 public:
  TKodrillApp();
  ~TKodrillApp();

  static inline const QString Version = QStringLiteral("0.9");
  static inline const QString VersionDate = QStringLiteral("26.01.2001");

  TProject* Project() const { return FProject.get(); }
  TAssemblerPrefs* AssemblerPrefs() const { return FAssemblerPrefs.get(); }
  THighLighterPrefs* HighLighterPrefs() const { return FHighLighterPrefs.get(); }
  TGeneralPrefs* GeneralPrefs() const { return FGeneralPrefs.get(); }
  const TRecentFiles& RecentFiles() const { return FRecentFiles; }

  // Throws EFileReadError, after taking the defaults, when the file is no readable text file.
  void LoadPrefs();
  void SavePrefs();  // throws EFileCreateError
  // Puts Path at the front of the recent list and writes only that list's section into the
  // settings file, so that unsaved settings stay unsaved. Throws EFileCreateError, EFileReadError.
  void AddRecent(const QString& path);
  // Kodrill.ini beside the executable, or in the per-user configuration directory where the
  // executable's directory is not writable.
  QString SettingsFilePath() const;
  void SetSettingsFilePath(const QString& path);  // tests

 private:
  std::unique_ptr<TProject> FProject;
  std::unique_ptr<TAssemblerPrefs> FAssemblerPrefs;
  std::unique_ptr<THighLighterPrefs> FHighLighterPrefs;
  std::unique_ptr<TGeneralPrefs> FGeneralPrefs;
  TRecentFiles FRecentFiles;
  QString FSettingsFilePath;
};

// The one application object (created first at start-up, freed last).
extern TKodrillApp* KodrillApp;

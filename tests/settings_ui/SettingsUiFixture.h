#pragma once
// An application object of the test's own, a temporary directory, and the user dialog seam
// answered by the test instead of a person.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>
#include <ostream>

#include "platform/ui/UserDialogs.h"
#include "settings/KodrillApp.h"

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

class SettingsUiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Temp.isValid());
    KodrillApp = App.get();
    App->SetSettingsFilePath(Path("Kodrill.ini"));
    App->LoadPrefs();  // no file yet: the defaults
    Hooks.Question = [this](const QString& text) {
      Questions << text;
      return Answer;
    };
    Hooks.Error = [this](const QString& text) { Errors << text; };
    Hooks.SaveFileName = [this](const QString& caption, const QString& preset) {
      DialogCalls << caption + "|" + preset;
      return DialogResult;
    };
    Hooks.Directory = [this](const QString&, const QString&) { return DialogResult; };
    Hooks.Font = [this](QFont& font) {
      font.setFamily(ChosenFont);
      font.setPointSize(ChosenSize);
      font.setStyleName(ChosenStyle);
      return !ChosenFont.isEmpty();
    };
    SetUserDialogHooks(&Hooks);
  }
  void TearDown() override {
    SetUserDialogHooks(nullptr);
    KodrillApp = nullptr;
  }

  QString Path(const QString& name) const { return QDir::toNativeSeparators(Temp.filePath(name)); }
  static QByteArray ReadBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
  }
  static void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }

  QTemporaryDir Temp;
  std::unique_ptr<TKodrillApp> App = std::make_unique<TKodrillApp>();
  TUserDialogHooks Hooks;
  TAnswer Answer = TAnswer::Yes;
  QStringList Questions, Errors, DialogCalls;
  QString DialogResult, ChosenFont, ChosenStyle;
  int ChosenSize = 0;
};

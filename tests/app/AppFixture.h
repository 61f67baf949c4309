#pragma once
// A fresh application object and main window per test, in a temporary working directory, with
// every question and file dialog answered by the test.
#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTabWidget>
#include <QTemporaryDir>

#include <deque>

#include "app/EditorView.h"
#include "app/FormMain.h"
#include "editor/EditControl.h"
#include "platform/ui/UserDialogs.h"
#include "settings/KodrillApp.h"

// Readable failure output for Qt strings.
inline void PrintTo(const QByteArray& bytes, std::ostream* os) { *os << '"' << bytes.toStdString() << '"'; }
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

class AppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Temp.isValid());
    OldDir = QDir::currentPath();
    QDir::setCurrent(Temp.path());
    KodrillApp = new TKodrillApp;
    KodrillApp->SetSettingsFilePath(Temp.filePath(QStringLiteral("Kodrill.ini")));
    Hooks.Question = [this](const QString& text) {
      Questions.push_back(text);
      if (Answers.empty()) return TAnswer::Cancel;
      const TAnswer a = Answers.front();
      Answers.pop_front();
      return a;
    };
    Hooks.Error = [this](const QString& text) { Errors.push_back(text); };
    Hooks.SaveFileName = [this](const QString&, const QString& preset) {
      SavePresets.push_back(preset);
      if (SaveNames.empty()) return QString();
      const QString n = SaveNames.front();
      SaveNames.pop_front();
      return n;
    };
    Hooks.OpenFileName = [this](const QString&, const QString&) {
      if (OpenNames.empty()) return QString();
      const QString n = OpenNames.front();
      OpenNames.pop_front();
      return n;
    };
    SetUserDialogHooks(&Hooks);
    FormMain = new TFormMain;
    Main = FormMain;
  }

  void TearDown() override {
    delete Main;
    FormMain = nullptr;
    delete KodrillApp;
    KodrillApp = nullptr;
    SetUserDialogHooks(nullptr);
    QDir::setCurrent(OldDir);
  }

  QString Path(const QString& name) const { return Temp.filePath(name); }
  QString Native(const QString& name) const { return QDir::toNativeSeparators(Temp.filePath(name)); }

  void WriteFile(const QString& name, const QByteArray& bytes) const {
    QFile f(Temp.filePath(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }
  QByteArray ReadFile(const QString& name) const {
    QFile f(Temp.filePath(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
  }

  QAction* Action(const char* name) const { return Main->findChild<QAction*>(QLatin1String(name)); }
  void Trigger(const char* name) const {
    QAction* a = Action(name);
    ASSERT_NE(a, nullptr) << name;
    a->trigger();
  }
  TEditorView* View(int i) const { return Main->View(i); }
  int Tabs() const { return Main->PageControl()->count(); }
  QString Panel(int i) const { return Main->StatusPanel(i)->text(); }
  TProject* Project() const { return KodrillApp->Project(); }

  QTemporaryDir Temp;
  QString OldDir;
  TFormMain* Main = nullptr;
  TUserDialogHooks Hooks;
  std::vector<QString> Questions;
  std::deque<TAnswer> Answers;
  std::vector<QString> Errors;
  std::deque<QString> SaveNames;
  std::vector<QString> SavePresets;
  std::deque<QString> OpenNames;
};

#pragma once
// Every modal question, error box and file/font/directory dialog of the program goes through
// here, so that tests can answer them (SetUserDialogHooks) instead of a person.
#include <QFont>
#include <QString>

#include <functional>

class QWidget;

enum class TAnswer { Yes, No, Cancel };

struct TUserDialogHooks {
  // Each hook, when set, answers instead of the dialog. Text is the question or message.
  std::function<TAnswer(const QString& text)> Question;
  std::function<void(const QString& text)> Error;
  // Caption of the dialog and the preset name or directory; an empty result means cancelled.
  std::function<QString(const QString& caption, const QString& preset)> OpenFileName;
  std::function<QString(const QString& caption, const QString& preset)> SaveFileName;
  std::function<QString(const QString& caption, const QString& preset)> Directory;
  std::function<bool(QFont& font)> Font;
};

// Installs hooks (nullptr removes them). Not owned.
void SetUserDialogHooks(TUserDialogHooks* hooks);

// Modal box titled "Assembler-Editor" with Yes, No and Cancel and the exclamation icon.
TAnswer AskYesNoCancel(QWidget* parent, const QString& text);
// Modal box titled "Assembler-Editor" with Yes and No; true for Yes.
bool AskYesNo(QWidget* parent, const QString& text);
// Modal box titled "Assembler-Editor" with two buttons captioned First (the default) and Second:
// Yes for First, No for Second, Cancel for Escape or the close box.
TAnswer AskTwoWays(QWidget* parent, const QString& text, const QString& first, const QString& second);
// The general error box for errors that end a command.
void ShowErrorBox(QWidget* parent, const QString& text);

QString AskOpenFileName(QWidget* parent, const QString& caption, const QString& preset, const QString& filter);
// DefaultSuffix (without dot) is appended to a name typed without extension.
QString AskSaveFileName(QWidget* parent, const QString& caption, const QString& preset, const QString& filter,
                        const QString& defaultSuffix = QString());
QString AskDirectory(QWidget* parent, const QString& caption, const QString& preset);
// Font dialog; FixedPitchOnly offers monospaced fonts only. True when confirmed (Font changed).
bool AskFont(QWidget* parent, QFont& font, bool fixedPitchOnly);

// Asks the desktop to open a web or mail address with its default handler.
void ShellOpen(const QString& url);

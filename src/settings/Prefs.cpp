#include "settings/Prefs.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "highlight/AssemSyn.h"
#include "platform/Paths.h"

QStringList KnownAssemblerExecutables() {
#ifdef Q_OS_WIN
  return {QStringLiteral("bin\\as.exe"), QStringLiteral("bin\\asw.exe")};
#else
  return {QStringLiteral("bin/asl"), QStringLiteral("bin/as.exe"), QStringLiteral("bin/asw.exe")};
#endif
}

#ifndef Q_OS_WIN
// The installation directory above the bin/ that holds Path, with a trailing "/"; "" if none.
static QString InstallDirOf(const QString& path) {
  const QFileInfo exe(path);
  const QDir bin = exe.absoluteDir();
  if (bin.dirName() != u"bin") return QString();
  return Paths::IncludeTrailingSeparator(QFileInfo(bin.absolutePath()).absolutePath());
}
#endif

QString DefaultAsDirectory() {
#ifdef Q_OS_WIN
  return QStringLiteral("c:\\assemble\\as1418\\");
#else
  const QString found = QStandardPaths::findExecutable(QStringLiteral("asl"));
  if (!found.isEmpty()) {
    // A link in a common bin/ may point into the real installation, which has the include files.
    for (const QString& candidate : {QFileInfo(found).canonicalFilePath(), found}) {
      const QString dir = InstallDirOf(candidate);
      if (!dir.isEmpty()) return dir;
    }
  }
  return QStringLiteral("/usr/local/");
#endif
}

QString DefaultAsExecutable() {
#ifdef Q_OS_WIN
  return QStringLiteral("bin\\as.exe");
#else
  return QStringLiteral("bin/asl");
#endif
}

QString AssemblerIncludeDirectory(const QString& asDirectory) {
  const QString dir = Paths::FromStored(asDirectory);
  return dir.isEmpty() ? QString() : Paths::IncludeTrailingSeparator(dir) + QStringLiteral("include");
}

TAssemblerPrefs::TAssemblerPrefs() = default;

const TStringIniList& TAssemblerPrefs::SaveToList() {
  FList.clear();
  FList.WriteString(QStringLiteral("DefaultNumberFormat"), DefaultNumberFormat);
  FList.WriteString(QStringLiteral("DefaultProcessor"), DefaultProcessor);
  FList.WriteString(QStringLiteral("AsDirectory"), AsDirectory);
  FList.WriteString(QStringLiteral("AsExecutable"), AsExecutable);
  return FList;
}

void TAssemblerPrefs::LoadFromList(const TStringIniList* list) {
  if (!list) return;
  FList = *list;
  DefaultNumberFormat = FList.ReadString(QStringLiteral("DefaultNumberFormat"), QStringLiteral("C"));
  DefaultProcessor = FList.ReadString(QStringLiteral("DefaultProcessor"), QStringLiteral("6811"));
  // The defaults look for an installation, so they are computed only when needed.
  AsDirectory = FList.ReadString(QStringLiteral("AsDirectory"), QString());
  if (AsDirectory.isEmpty()) AsDirectory = DefaultAsDirectory();
  AsExecutable = FList.ReadString(QStringLiteral("AsExecutable"), DefaultAsExecutable());
}

THighLighterPrefs::THighLighterPrefs() : FHighLighter(std::make_unique<TVoMAssemSyn>()) {
  FHighLighter->CommentAttri()->SetForeground(RGBColor(255, 0, 0));
  FHighLighter->DirecAttri()->SetForeground(RGBColor(0, 0, 128));
  FHighLighter->NumberAttri()->SetForeground(RGBColor(0, 128, 128));
  FHighLighter->StringAttri()->SetForeground(RGBColor(0, 128, 0));
}

THighLighterPrefs::~THighLighterPrefs() = default;

static QString AttributePrefix(const THighlighterAttributes* a) {
  return QStringLiteral("AsmSyn.") + QString::fromStdString(a->Name());
}

static const struct {
  const char* Key;
  TFontStyles Flag;
} StyleKeys[] = {{".Style.Bold", fsBold},
                 {".Style.Italic", fsItalic},
                 {".Style.Underline", fsUnderline},
                 {".Style.StrikeOut", fsStrikeOut}};

const TStringIniList& THighLighterPrefs::SaveToList() {
  FList.clear();
  FList.WriteString(QStringLiteral("Font.Name"), FontName);
  FList.WriteInteger(QStringLiteral("Font.Size"), FontSize);
  for (int i = 0; i < FHighLighter->AttributeCount(); ++i) {
    const THighlighterAttributes* a = FHighLighter->Attribute(i);
    const QString p = AttributePrefix(a);
    for (const auto& s : StyleKeys) FList.WriteBool(p + QLatin1String(s.Key), (a->Style() & s.Flag) != 0);
    FList.WriteHex(p + QStringLiteral(".Background"), a->Background());
    FList.WriteHex(p + QStringLiteral(".Foreground"), a->Foreground());
  }
  // Written only when set, so that a file of the usual settings stays as it was.
  if (FHighLighter->ExtendedTables()) FList.WriteBool(QStringLiteral("AsmSyn.ExtendedTables"), true);
  return FList;
}

void THighLighterPrefs::LoadFromList(const TStringIniList* list) {
  if (!list) return;
  FList = *list;
  FontName = FList.ReadString(QStringLiteral("Font.Name"), QStringLiteral("Courier New"));
  FontSize = FList.ReadInteger(QStringLiteral("Font.Size"), DefaultFontSize);
  if (FontSize < MinFontSize || FontSize > MaxFontSize) FontSize = DefaultFontSize;
  for (int i = 0; i < FHighLighter->AttributeCount(); ++i) {
    THighlighterAttributes* a = FHighLighter->Attribute(i);
    const QString p = AttributePrefix(a);
    TFontStyles style = 0;
    for (const auto& s : StyleKeys)
      if (FList.ReadBool(p + QLatin1String(s.Key), (a->Style() & s.Flag) != 0)) style |= s.Flag;
    a->SetStyle(style);
    a->SetBackground(FList.ReadInteger(p + QStringLiteral(".Background"), a->Background()));
    a->SetForeground(FList.ReadInteger(p + QStringLiteral(".Foreground"), a->Foreground()));
  }
  FHighLighter->SetExtendedTables(FList.ReadBool(QStringLiteral("AsmSyn.ExtendedTables"), false));
}

const TStringIniList& TGeneralPrefs::SaveToList() {
  FList.clear();
  FList.WriteInteger(QStringLiteral("Window.Left"), WindowLeft);
  FList.WriteInteger(QStringLiteral("Window.Top"), WindowTop);
  FList.WriteString(QStringLiteral("ProjectDirectory"), ProjectDirectory);
  FList.WriteString(QStringLiteral("KodrillDirectory"), KodrillDirectory);
  // Written only when set, so that a file of the usual settings stays as it was.
  if (ShowLineNumbers) FList.WriteBool(QStringLiteral("ShowLineNumbers"), true);
  return FList;
}

void TGeneralPrefs::LoadFromList(const TStringIniList* list) {
  if (!list) return;
  FList = *list;
  const QString exeDir = Paths::ExcludeTrailingSeparator(Paths::ExecutableDirectory());
  WindowLeft = FList.ReadInteger(QStringLiteral("Window.Left"), WindowLeft);
  WindowTop = FList.ReadInteger(QStringLiteral("Window.Top"), WindowTop);
  ProjectDirectory = FList.ReadString(QStringLiteral("ProjectDirectory"), exeDir);
  KodrillDirectory = FList.ReadString(QStringLiteral("KodrillDirectory"), exeDir);
  ShowLineNumbers = FList.ReadBool(QStringLiteral("ShowLineNumbers"), false);
}

#include "platform/batch/BatchInterpreter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <algorithm>
#include <cstdio>

#include "platform/ConsoleCodec.h"
#include "platform/Paths.h"

namespace {

const QString kPrefix = QStringLiteral("kodrill-cmd: ");
constexpr int kMaxNesting = 16;

bool IsBatchName(const QString& name) {
  return name.endsWith(QLatin1String(".bat"), Qt::CaseInsensitive) ||
         name.endsWith(QLatin1String(".cmd"), Qt::CaseInsensitive);
}

// First word of a line and the text after the one separator that follows it.
void SplitVerb(const QString& line, QString& verb, QString& rest) {
  qsizetype i = 0;
  // An operator ends the verb too ("pause>nul").
  while (i < line.size() && !line[i].isSpace() && !QStringView(u".=/\"<>|&").contains(line[i])) ++i;
  verb = line.left(i);
  rest = i < line.size() ? line.mid(i + (line[i].isSpace() ? 1 : 0)) : QString();
}

// A program named by an absolute or relative path ("/usr/bin/asl", "./tool", "\"a b\"").
bool StartsWithPath(const QString& line) {
  return line.startsWith(u'/') || line.startsWith(u'.') || line.startsWith(u'"');
}

// Where a message comes from: " (Zeile N)" for a line of a batch file.
QString Where(int lineNo) { return lineNo > 0 ? QStringLiteral(" (Zeile %1)").arg(lineNo) : QString(); }

}  // namespace

TBatchInterpreter::TBatchInterpreter() : FEnv(QProcessEnvironment::systemEnvironment()) {
  OnOutput = [](const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
  };
}

void TBatchInterpreter::Print(const QString& text) {
  if (OnOutput) OnOutput(text.toLocal8Bit() + '\n');
}

void TBatchInterpreter::Unsupported(const QString& line, int lineNo) {
  Print(kPrefix + QStringLiteral("Befehl wird nicht unterstützt%1: %2").arg(Where(lineNo), line.trimmed()));
  FExitCode = 1;
}

QString TBatchInterpreter::LocalPath(const QString& path) {
  // A backslash is an ordinary character of a name here: "a\\b/make.bat" may exist as it is.
  if (QFileInfo::exists(path)) return path;
  QString p = path;
  p.replace(u'\\', u'/');
#ifndef Q_OS_WIN
  if (p.size() >= 2 && p[1] == u':' && p[0].isLetter()) {
    const QString withDrive = p;
    p = p.mid(2);
    if (QFileInfo::exists(withDrive)) return withDrive;
  }
#endif
  return p;
}

QStringList TBatchInterpreter::SplitArguments(const QString& text) {
  QStringList args;
  QString current;
  bool inQuotes = false, any = false;
  for (QChar c : text) {
    if (c == u'"') {
      inQuotes = !inQuotes;
      any = true;
    } else if (c.isSpace() && !inQuotes) {
      if (any) args << current;
      current.clear();
      any = false;
    } else {
      current += c;
      any = true;
    }
  }
  if (any) args << current;
  return args;
}

QString TBatchInterpreter::Expand(const QString& line) const {
  QString out;
  out.reserve(line.size());
  for (qsizetype i = 0; i < line.size(); ++i) {
    const QChar c = line[i];
    if (c != u'%') {
      out += c;
      continue;
    }
    if (i + 1 < line.size() && line[i + 1] == u'%') {
      out += u'%';
      ++i;
    } else if (i + 1 < line.size() && line[i + 1].isDigit()) {
      const int n = line[i + 1].digitValue();
      if (n < FArgs.size()) out += FArgs[n];
      ++i;
    } else {
      const qsizetype end = line.indexOf(u'%', i + 1);
      if (end < 0) {
        out += c;  // a lone "%" stays
        continue;
      }
      const QString name = line.mid(i + 1, end - i - 1);
      // Variable names are not case-sensitive in batch files.
      for (const QString& key : FEnv.keys())
        if (key.compare(name, Qt::CaseInsensitive) == 0) {
          out += FEnv.value(key);
          break;
        }
      i = end;
    }
  }
  return out;
}

bool TBatchInterpreter::HasOperator(const QString& line, QStringView operators) const {
  bool inQuotes = false;
  for (QChar c : line) {
    if (c == u'"') inQuotes = !inQuotes;
    else if (!inQuotes && operators.contains(c)) return true;
  }
  return false;
}

int TBatchInterpreter::RunCommand(const QString& commandLine) {
  // A batch file's path may hold blanks unquoted: the text up to ".bat"/".cmd" names it. Of
  // several such texts the first that names a file wins ("old.bat files/make.bat").
  const QString text = commandLine.trimmed();
  QList<qsizetype> ends;
  for (qsizetype i = 1; !text.startsWith(u'"') && i + 4 <= text.size(); ++i) {
    const QStringView ext = QStringView(text).mid(i, 4);
    const bool batch = ext.compare(u".bat", Qt::CaseInsensitive) == 0 || ext.compare(u".cmd", Qt::CaseInsensitive) == 0;
    if (batch && (i + 4 == text.size() || text[i + 4] == u' ')) ends << i + 4;
  }
  if (!ends.isEmpty()) {
    const auto named = std::find_if(ends.begin(), ends.end(),
                                    [&](qsizetype end) { return QFileInfo::exists(LocalPath(text.left(end))); });
    const qsizetype end = named != ends.end() ? *named : ends.first();  // none: the first is reported missing
    return RunBatchFile(text.left(end), SplitArguments(text.mid(end)));
  }
  const QStringList args = SplitArguments(commandLine);
  if (args.isEmpty()) return FExitCode;
  if (IsBatchName(args.first())) return RunBatchFile(args.first(), args.mid(1));
  const bool echo = FEchoOn;
  FEchoOn = false;  // a single command is not echoed
  RunLine(commandLine);
  FEchoOn = echo;
  return FExitCode;
}

int TBatchInterpreter::RunBatchFile(const QString& fileName, const QStringList& args) {
  const QString path = LocalPath(fileName);
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    Print(kPrefix + QStringLiteral("Datei nicht gefunden: %1").arg(fileName));
    FExitCode = 1;
    return FExitCode;
  }
  if (FDepth >= kMaxNesting) {
    Print(kPrefix + QStringLiteral("Zu tief verschachtelte Batch-Dateien: %1").arg(fileName));
    FExitCode = 1;
    return FExitCode;
  }
  const QByteArray content = file.readAll();
  const QStringList saved = FArgs;
  FArgs = QStringList{fileName} + args;
  ++FDepth;
  int lineNo = 0;
  for (const QByteArray& raw : content.split('\n')) {
    ++lineNo;
    QByteArray bytes = raw;
    if (bytes.endsWith('\r')) bytes.chop(1);
    RunLine(ConsoleCodec::ToUnicode(bytes), lineNo);
    if (FExit) break;
  }
  --FDepth;
  FArgs = saved;
  if (FDepth == 0) FExit = false;
  return FExitCode;
}

void TBatchInterpreter::RunLine(const QString& rawLine, int lineNo) {
  // Trailing blanks stay: "set X=a " keeps them, as batch files expect.
  qsizetype start = 0;
  while (start < rawLine.size() && rawLine[start].isSpace()) ++start;
  QString line = rawLine.mid(start);
  bool echo = FEchoOn;
  while (line.startsWith(u'@')) {
    echo = false;
    line = line.mid(1);
    while (!line.isEmpty() && line[0].isSpace()) line.remove(0, 1);
  }
  if (line.trimmed().isEmpty()) return;
  if (line.startsWith(u':')) return;  // labels need no action without goto
  line = Expand(line);
  if (echo) Print(line);

  QString verb, rest;
  SplitVerb(line, verb, rest);
  const QString v = verb.toLower();
  if (v == u"rem") return;
  // Only the console window would change (also with ">nul" behind): nothing to do, no failure.
  // Chained with another command, the line is reported like any other chain.
  if ((v == u"pause" || v == u"cls" || v == u"title" || v == u"color" || v == u"prompt" || v == u"chcp") &&
      !HasOperator(line, u"&|"))
    return;
  if (HasOperator(line, u"&|<>")) {
    Unsupported(rawLine, lineNo);
    return;
  }
  if (v == u"echo") {
    RunEcho(line.mid(verb.size()));
  } else if (v == u"set") {
    RunSet(rest, rawLine, lineNo);
  } else if (v == u"cd" || v == u"chdir") {
    const QString dir = rest.trimmed();
    if (dir.isEmpty()) {
      Print(QDir::toNativeSeparators(QDir::currentPath()));
    } else if (!QDir::setCurrent(LocalPath(dir))) {
      Print(kPrefix + QStringLiteral("Verzeichnis nicht gefunden: %1").arg(dir));
      FExitCode = 1;
    }
  } else if (v == u"exit") {
    QStringList words = SplitArguments(rest);
    if (!words.isEmpty() && words.first().compare(QLatin1String("/b"), Qt::CaseInsensitive) == 0)
      words.removeFirst();
    bool ok = false;
    const int code = words.isEmpty() ? FExitCode : words.first().toInt(&ok);
    FExitCode = words.isEmpty() || ok ? code : 1;
    FExit = true;
  } else if (v == u"if" || v == u"goto" || v == u"call" || v == u"for" || v == u"shift" ||
             v == u"setlocal" || v == u"endlocal" || v == u"pushd" || v == u"popd" || v == u"start" ||
             v == u"choice" || v == u"copy" || v == u"del" || v == u"erase" || v == u"move" ||
             v == u"ren" || v == u"rename" || v == u"type" || v == u"md" || v == u"mkdir" || v == u"rd" ||
             v == u"rmdir" || v == u"dir" || v == u"path" || v == u"ver" ||
             v == u"verify" || v == u"vol" || v == u"date" || v == u"time" ||
             (verb.isEmpty() && !StartsWithPath(line))) {
    Unsupported(rawLine, lineNo);
  } else {
    RunProgram(SplitArguments(line), lineNo);
  }
}

void TBatchInterpreter::RunEcho(const QString& afterVerb) {
  // "echo." and "echo/" print an empty line; otherwise the one separator is dropped.
  const QString text = afterVerb.isEmpty() ? QString() : afterVerb.mid(1);
  const QString word = text.trimmed().toLower();
  if (afterVerb.isEmpty() || (afterVerb[0].isSpace() && text.trimmed().isEmpty())) {
    Print(FEchoOn ? QStringLiteral("ECHO ist eingeschaltet (ON).") : QStringLiteral("ECHO ist ausgeschaltet (OFF)."));
  } else if (afterVerb[0].isSpace() && word == u"off") {
    FEchoOn = false;
  } else if (afterVerb[0].isSpace() && word == u"on") {
    FEchoOn = true;
  } else {
    Print(text);
  }
}

void TBatchInterpreter::RunSet(const QString& rest, const QString& line, int lineNo) {
  QString text = rest.trimmed();
  if (text.startsWith(u'/')) {
    Unsupported(line, lineNo);
    return;
  }
  if (text.size() >= 2 && text.startsWith(u'"') && text.endsWith(u'"')) text = text.mid(1, text.size() - 2);
  const qsizetype eq = text.indexOf(u'=');
  if (text.isEmpty() || eq < 0) {
    // "set" or "set PREFIX" lists the matching variables.
    QStringList keys = FEnv.keys();
    keys.sort(Qt::CaseInsensitive);
    for (const QString& key : keys)
      if (key.startsWith(text, Qt::CaseInsensitive)) Print(key + u'=' + FEnv.value(key));
    return;
  }
  const QString name = text.left(eq);
  const QString value = rest.trimmed().startsWith(u'"') ? text.mid(eq + 1) : rest.mid(rest.indexOf(u'=') + 1);
  for (const QString& key : FEnv.keys())
    if (key.compare(name, Qt::CaseInsensitive) == 0) FEnv.remove(key);
  if (!value.isEmpty()) FEnv.insert(name, value);
}

QString TBatchInterpreter::SearchPath(const QString& name) const {
  for (const QString& dir : FEnv.value(QStringLiteral("PATH")).split(QDir::listSeparator(), Qt::SkipEmptyParts)) {
    const QFileInfo info(QDir(dir).filePath(name));
    if (info.isFile() && (info.isExecutable() || IsBatchName(name))) return info.absoluteFilePath();
  }
  return QString();
}

QString TBatchInterpreter::FindProgram(const QString& name) const {
  const QString local = LocalPath(name);
  QStringList candidates{local};
  // Windows program names ("as.exe") stand for extension-less programs here.
  const QString suffix = QFileInfo(local).suffix().toLower();
  if (suffix == u"exe" || suffix == u"com") candidates << local.left(local.size() - 4);
  const bool hasDir = local.contains(u'/');
  for (const QString& candidate : candidates) {
    // Like the desktop's interpreter: the current directory first, then PATH.
    const QFileInfo info(candidate);
    if (info.isFile() && (info.isExecutable() || IsBatchName(candidate))) return info.absoluteFilePath();
    if (hasDir) continue;
    const QString found = SearchPath(candidate);
    if (!found.isEmpty()) return found;
  }
  // A path that does not exist here is reported, not replaced by a namesake along PATH.
  return QString();
}

QString TBatchInterpreter::MatchLetterCase(const QString& arg) {
  // make.bat files rely on file names that ignore letter case (a project's "Demo.Asm" is
  // assembled as "Demo.asm").
  return arg.startsWith(u'-') ? arg : Paths::MatchLetterCase(arg);
}

void TBatchInterpreter::RunProgram(const QStringList& args, int lineNo) {
  const QString program = FindProgram(args.first());
  if (program.isEmpty()) {
    Print(kPrefix + QStringLiteral("Programm nicht gefunden%1: %2").arg(Where(lineNo), args.first()));
    FExitCode = NotFound;
    return;
  }
  QStringList rest;
  for (const QString& a : args.mid(1)) rest << MatchLetterCase(a.contains(u'\\') ? LocalPath(a) : a);
  if (IsBatchName(program)) {
    RunBatchFile(program, rest);
    return;
  }
  QProcess process;
  process.setProcessChannelMode(QProcess::ForwardedChannels);
  process.setInputChannelMode(QProcess::ForwardedInputChannel);
  process.setProcessEnvironment(FEnv);
  process.setProgram(program);
  process.setArguments(rest);
  std::fflush(stdout);
  process.start();
  if (!process.waitForStarted(-1)) {
    Print(kPrefix + QStringLiteral("Programm kann nicht gestartet werden%1: %2 (%3)")
                              .arg(Where(lineNo), program, process.errorString()));
    FExitCode = CannotRun;
    return;
  }
  process.waitForFinished(-1);
  FExitCode = process.exitCode();
  if (process.exitStatus() == QProcess::NormalExit) return;
  Print(kPrefix + QStringLiteral("Programm abgestürzt%1: %2").arg(Where(lineNo), args.first()));
#ifndef Q_OS_WIN
  FExitCode += 128;  // the signal, as shells report it
#endif
}

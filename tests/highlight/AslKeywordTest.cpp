// The extended instruction lists against the real assembler: asl must know every listed word for
// its processor. Prints how many words of the other lists asl knows there that the list lacks.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <set>

#include "highlight/ExtendedWordLists.h"

namespace {

using TLines = std::vector<std::string>;

TLines Words(const char* list) {
  TLines words;
  for (const QByteArray& w : QByteArray(list).split(','))
    if (!w.trimmed().isEmpty()) words.push_back(w.trimmed().toStdString());
  return words;
}

bool Unknown(const std::string& messages) { return messages.find("unknown instruction") != std::string::npos; }

// asl's messages for each line, assembled for the processor with a line no processor knows after
// each. Asl dies on some lines, or a line swallows the rest: when a sentinel goes unanswered the
// halves are assembled apart, and a line that fails alone gets "asl died".
TLines Assemble(const QString& asl, const TExtendedCpu& cpu, const TLines& lines) {
  QTemporaryDir dir;
  QByteArray text = QByteArray("\tcpu ") + cpu.AslName + "\n";
  for (const std::string& setup : Words(cpu.Setup)) text += "\t" + setup + "\n";
  const int first = static_cast<int>(text.count('\n')) + 1;
  for (const std::string& line : lines) text += "\t" + line + "\n\tQZQZQZ\n";
  if (QFile file(dir.filePath("p.asm")); !file.open(QIODevice::WriteOnly) || file.write(text) != text.size()) return {};
  QProcess run;
  run.setWorkingDirectory(dir.path()), run.setProcessChannelMode(QProcess::MergedChannels);
  run.setEnvironment(QProcess::systemEnvironment() << "LC_ALL=C");
  run.start(asl, {"-q", "-maxerrors", "100000000", "-gnuerrors", "p.asm"});
  TLines messages(2 * lines.size());
  if (run.waitForFinished(60000) && run.exitStatus() == QProcess::NormalExit) {
    for (const QByteArray& out : run.readAll().split('\n')) {
      const size_t n = static_cast<size_t>(out.mid(6, out.indexOf(':', 6) - 6).toInt() - first);
      if (out.startsWith("p.asm:") && n < messages.size())
        messages[n] += out.mid(out.lastIndexOf(": ") + 2).toStdString() + ";";
    }
  }
  TLines result;
  for (size_t i = 0; i < messages.size() && Unknown(messages[i + 1]); i += 2) result.push_back(messages[i]);
  if (result.size() == lines.size()) return result;
  if (lines.size() == 1) return {"asl died"};
  const auto half = lines.begin() + static_cast<std::ptrdiff_t>(lines.size() / 2);
  result = Assemble(asl, cpu, {lines.begin(), half});
  for (std::string& m : Assemble(asl, cpu, {half, lines.end()})) result.push_back(std::move(m));
  return result;
}

TEST(AslKeywordCheck, ListedInstructionsAreKnownToTheAssembler) {
  QString asl = qEnvironmentVariable("KODRILL_ASL");
  if (asl.isEmpty()) asl = QStandardPaths::findExecutable("asl");
  if (asl.isEmpty()) GTEST_SKIP() << "asl not found (PATH or KODRILL_ASL): instruction lists not checked";

  std::set<std::string> all;  // instructions of any list, without the sizes (MOVE, not MOVE.L)
  for (const TExtendedCpu& cpu : ExtendedCpus())
    for (std::string& w : Words(cpu.Keywords)) all.insert(w.substr(0, w.find('.')));
  const TLines shapes = {"", "0", "#0", "0,0", "a", "a,b", "a,0", "x", "0,x", "hl", "de,hl", "(hl)", "ax", "ax,bx",
                         "d0", "d0,d1", "#0,d0", "r0", "r1,r2", "r16", "r16,r17"};
  for (const TExtendedCpu& cpu : ExtendedCpus()) {
    TLines lines = Words(cpu.Keywords);
    const size_t listed = lines.size();
    std::set<std::string> others = all;
    for (const std::string& w : Words((std::string(cpu.Keywords) + "," + cpu.Directives).c_str())) others.erase(w);
    lines.insert(lines.end(), others.begin(), others.end());
    TLines probes = lines, candidates, tries;
    for (std::string& line : probes) line += " 0,0";
    const TLines answers = Assemble(asl, cpu, probes);
    ASSERT_EQ(answers.size(), lines.size()) << cpu.Name;
    for (size_t i = 0; i < lines.size(); ++i) {
      if (i < listed) {
        EXPECT_FALSE(Unknown(answers[i])) << cpu.Name << ": " << lines[i];
      } else if (!Unknown(answers[i])) {
        for (const std::string& shape : shapes) tries.push_back(lines[i] + " " + shape);
        candidates.push_back(lines[i]);
      }
    }
    // asl knows a word when it takes it without complaint with one of the shapes.
    const TLines verdicts = Assemble(asl, cpu, tries);
    std::string missing;
    for (size_t i = 0; i < candidates.size(); ++i)
      if (std::any_of(verdicts.begin() + i * shapes.size(), verdicts.begin() + (i + 1) * shapes.size(),
                      [](const std::string& m) { return m.empty(); }))
        missing += " " + candidates[i];
    std::printf("%-10s %4zu instructions; asl also knows %3zu of the %zu words of other lists:%.120s\n", cpu.Name,
                listed, static_cast<size_t>(std::count(missing.begin(), missing.end(), ' ')), others.size(),
                missing.c_str());
  }
}

}  // namespace

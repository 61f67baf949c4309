// Arbitrary bytes as a file: saving an unchanged text gives back exactly the bytes read, and the
// lines are those a plain split at LF / CR LF gives. Then the same bytes drive line edits, checked
// against a vector of strings.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "editor/EditLines.h"
#include "FuzzCheck.h"


static std::vector<std::string> SplitLines(std::string_view bytes) {
  // A UTF-8 byte order mark is no part of line 1; an empty file is one empty line.
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  if (bytes.empty()) return {std::string()};
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != '\n') continue;
    std::size_t end = i;
    if (end > start && bytes[end - 1] == '\r') --end;
    lines.emplace_back(bytes.substr(start, end - start));
    start = i + 1;
  }
  if (start < bytes.size()) lines.emplace_back(bytes.substr(start));
  return lines;
}

static void CheckSame(const TEditLines& lines, const std::vector<std::string>& ref) {
  Check(lines.Count() == int(ref.size()));
  for (int i = 0; i < lines.Count(); ++i) Check(lines[i] == ref[std::size_t(i)]);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  TEditLines lines;
  int changes = 0;
  lines.OnLinesChanged = [&changes](int, int, int) { ++changes; };
  lines.LoadFromBytes(bytes);
  Check(lines.SaveToBytes() == bytes);
  std::vector<std::string> ref = SplitLines(bytes);
  CheckSame(lines, ref);
  Check(lines.FinalLineBreak() == (!bytes.empty() && bytes.back() == '\n'));
  for (int i = 0; i < lines.Count(); ++i) Check(lines.Encode(lines.Text(i)) == lines[i] ||
                                                lines.Encoding() == TTextEncoding::Utf8);

  FuzzedDataProvider fdp(data, size);
  while (fdp.remaining_bytes() > 0) {
    const int op = fdp.ConsumeIntegralInRange(0, 3);
    const int count = int(ref.size());
    std::string text = fdp.ConsumeRandomLengthString(64);
    for (char& c : text)
      if (c == '\n') c = ' ';
    if (op == 0 || count == 0) {
      const int at = fdp.ConsumeIntegralInRange(0, count);
      lines.Insert(at, text);
      ref.insert(ref.begin() + at, text);
    } else if (op == 1) {
      const int at = fdp.ConsumeIntegralInRange(0, count - 1);
      lines.Delete(at);
      ref.erase(ref.begin() + at);
    } else if (op == 2) {
      const int at = fdp.ConsumeIntegralInRange(0, count - 1);
      lines.Put(at, text);
      ref[std::size_t(at)] = text;
    } else {
      lines.Add(text);
      ref.push_back(text);
    }
    CheckSame(lines, ref);
  }

  // What the edited text saves loads back as the same lines, where its lines allow that: a line 1
  // that begins with the bytes of a byte order mark reads back as the mark.
  bool plain = !ref.empty() && (!ref.back().empty() || lines.FinalLineBreak()) &&
               !ref.front().starts_with("\xEF\xBB\xBF");
  for (const std::string& line : ref)
    if (!line.empty() && line.back() == '\r') plain = false;
  if (plain) {
    TEditLines again;
    again.LoadFromBytes(lines.SaveToBytes());
    CheckSame(again, ref);
  }
  return 0;
}

#pragma once
// Text from a console program's output: the console code page to Unicode.
#include <QByteArray>
#include <QString>

namespace ConsoleCodec {

// One line (or piece) of console output: UTF-8 where the bytes are valid UTF-8, else the one of
// code page 850 (DOS consoles, "asl -codepage 850") and Windows-1252 (ISO-8859-1 with printable
// characters at 0x80..0x9F) whose decoding reads more like German text. Each line on its own.
QString ToUnicode(const char* data, qsizetype size);
inline QString ToUnicode(const QByteArray& bytes) { return ToUnicode(bytes.constData(), bytes.size()); }

// Largest length <= Size that does not cut a UTF-8 sequence (for splitting overlong lines).
qsizetype Utf8SafeCut(const char* data, qsizetype size);

}  // namespace ConsoleCodec

#pragma once
// Text from a console program's output: the console code page to Unicode.
#include <QByteArray>
#include <QString>

namespace ConsoleCodec {

// One line (or piece) of console output. Windows: the OEM code page. Elsewhere: UTF-8, or
// ISO-8859-1 where the bytes are not valid UTF-8 (old locales, code page 1252 captures).
QString ToUnicode(const char* data, qsizetype size);
inline QString ToUnicode(const QByteArray& bytes) { return ToUnicode(bytes.constData(), bytes.size()); }

// Largest length <= Size that does not cut a UTF-8 sequence (for splitting overlong lines).
qsizetype Utf8SafeCut(const char* data, qsizetype size);

}  // namespace ConsoleCodec

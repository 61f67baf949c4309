#include "platform/ConsoleCodec.h"

#include <QStringDecoder>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace ConsoleCodec {

static bool IsAscii(const char* data, qsizetype size) {
  for (qsizetype i = 0; i < size; ++i)
    if (static_cast<unsigned char>(data[i]) >= 0x80) return false;
  return true;
}

QString ToUnicode(const char* data, qsizetype size) {
  if (size <= 0) return QString();
  if (IsAscii(data, size)) return QString::fromLatin1(data, size);
#ifdef Q_OS_WIN
  const int n = MultiByteToWideChar(CP_OEMCP, 0, data, int(size), nullptr, 0);
  QString result(n, Qt::Uninitialized);
  MultiByteToWideChar(CP_OEMCP, 0, data, int(size), reinterpret_cast<wchar_t*>(result.data()), n);
  return result;
#else
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = utf8.decode(QByteArrayView(data, size));
  if (!utf8.hasError()) return text;
  return QString::fromLatin1(data, size);
#endif
}

qsizetype Utf8SafeCut(const char* data, qsizetype size) {
  // Step back over at most three continuation bytes to the lead byte, and cut before it when
  // its sequence would not be complete.
  qsizetype i = size;
  int back = 0;
  while (i > 0 && back < 3 && (static_cast<unsigned char>(data[i - 1]) & 0xC0) == 0x80) {
    --i;
    ++back;
  }
  if (i == 0) return size;
  const unsigned char lead = static_cast<unsigned char>(data[i - 1]);
  int need = 0;
  if ((lead & 0xE0) == 0xC0) need = 1;
  else if ((lead & 0xF0) == 0xE0) need = 2;
  else if ((lead & 0xF8) == 0xF0) need = 3;
  else if (lead >= 0x80) return size;  // not a lead byte: not UTF-8 anyway
  if (need == 0) return size;           // ASCII last: complete
  return back >= need ? size : i - 1;
}

}  // namespace ConsoleCodec

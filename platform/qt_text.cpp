#include "platform/qt_text.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include "text/win1250.h"

namespace {

constexpr auto kStateless = QStringConverter::Flag::Stateless;

// One converter pair per thread: converters keep state and are not shared.
QStringDecoder& Decoder() {
  thread_local QStringDecoder decoder("windows-1250", kStateless);
  return decoder;
}

QStringEncoder& Encoder() {
  thread_local QStringEncoder encoder("windows-1250", kStateless);
  return encoder;
}

}  // namespace

QString ToQString(const std::string& cp1250) {
  QStringDecoder& decoder = Decoder();
  if (decoder.isValid()) {
    decoder.resetState();
    return decoder.decode(QByteArrayView(cp1250.data(), static_cast<qsizetype>(cp1250.size())));
  }
  return QString::fromStdString(Cp1250ToUtf8(cp1250));
}

std::string FromQString(const QString& text) {
  QStringEncoder& encoder = Encoder();
  if (encoder.isValid()) {
    encoder.resetState();
    const QByteArray bytes = encoder.encode(text);
    // The codec puts its own substitute (SUB, 0x1A) for a character it cannot
    // write; the program's texts show '?' instead, as the table writes them.
    if (!encoder.hasError()) return bytes.toStdString();
  }
  return Utf8ToCp1250(text.toStdString());
}

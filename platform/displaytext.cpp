// SPDX-License-Identifier: MIT
#include "displaytext.h"

#include "core/utf8.h"

#include <QStringDecoder>

namespace nomix {

namespace {

QString decodeCp1252(std::string_view bytes) {
    QString text;
    text.resize(static_cast<qsizetype>(bytes.size()));
    QChar* out = text.data();
    for (char c : bytes) {
        *out++ = QChar(static_cast<char16_t>(windows1252Character(static_cast<unsigned char>(c))));
    }
    return text;
}

bool isAscii(std::string_view bytes) {
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

} // namespace

QString displayText(std::string_view bytes) {
    if (isAscii(bytes)) {
        return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    }
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString decoded = decoder(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (!decoder.hasError()) {
        return decoded;
    }
    return decodeCp1252(bytes);
}

std::string dataBytes(const QString& text, bool asUtf8) {
    return dataBytesFromUtf8(text.toStdString(), asUtf8);
}

} // namespace nomix

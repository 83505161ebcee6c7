#pragma once

#include <QByteArray>
#include <QString>

namespace tallyport::test {

// "F5 04 00 0C F0 FA" -> bytes; the tables of wire bytes read as they are written on paper.
inline QByteArray hex(const char* text) {
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

inline QString toHex(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

}  // namespace tallyport::test

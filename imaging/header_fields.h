#pragma once

#include <QByteArray>
#include <QtEndian>

#include <cstring>

namespace stylorex {

// Little-endian fields of a file header; 0 where the data ends before the field does. The bytes
// are copied out rather than read in place, so no read can pass the end of the data.
template <typename T>
T HeaderFieldAt(const QByteArray& data, qsizetype offset) {
    T value{};
    if (offset >= 0 && offset + qsizetype(sizeof(T)) <= data.size()) {
        const QByteArray bytes = data.mid(offset, sizeof(T));
        std::memcpy(&value, bytes.constData(), sizeof(T));
    }
    return qFromLittleEndian(value);
}
inline quint16 U16At(const QByteArray& data, qsizetype offset) {
    return HeaderFieldAt<quint16>(data, offset);
}
inline quint32 U32At(const QByteArray& data, qsizetype offset) {
    return HeaderFieldAt<quint32>(data, offset);
}
inline qint16 I16At(const QByteArray& data, qsizetype offset) {
    return HeaderFieldAt<qint16>(data, offset);
}
inline qint32 I32At(const QByteArray& data, qsizetype offset) {
    return HeaderFieldAt<qint32>(data, offset);
}

}  // namespace stylorex

#pragma once
// The quoted-field list style of the measurement file headers (RDD, VXD) and of the VXD text
// data: fields are separated by commas or line ends; a field that starts with a double quote
// runs to the closing quote (commas and line breaks inside it belong to the text) and anything
// after the closing quote up to the next separator is dropped; a bare field runs to the next
// comma or line end. Blanks before a field and after a bare field are dropped. Blank lines
// between records are skipped, but a line end right after a comma ends an empty field.
//
// The reader pulls its input in chunks from a device, so a text header in front of a binary
// block is read without touching the block, and long field lists are read without a copy per
// field.

#include "base/Numeric.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <limits>

class QIODevice;

namespace rebar {

class QuotedFields {
public:
    explicit QuotedFields(QIODevice& device, qsizetype chunkSize = 64 * 1024);

    // Reads the next field. The view points into the reader's buffer and stays valid until the
    // next call. Returns false at the end of the input (no field left) and after a read error.
    bool next(QByteArrayView& field);
    // The same, as an owned copy.
    bool next(QByteArray& field);

    // True when the last field was written in quotes.
    bool wasQuoted() const { return m_quoted; }
    // Device offset just after the last field's text (after its closing quote).
    qint64 fieldEnd() const { return m_fieldEnd; }
    // True when the device reported a read error.
    bool readError() const { return m_readError; }

    // A field longer than this many bytes ends the input (next() returns false and
    // fieldTooLong() tells why), so a text field that never ends cannot take unbounded memory.
    void setMaxFieldLength(qsizetype bytes) { m_maxField = bytes; }
    bool fieldTooLong() const { return m_tooLong; }

    // Strict number conversion of a field: optional blanks and sign, digits with an optional
    // decimal point ("." only) and exponent, nothing else. False for anything that is not a
    // finite number.
    static bool toNumber(QByteArrayView field, double& out);
    // toNumber, rounded (halves to even) and checked against the range of T.
    template <typename T> static bool toInteger(QByteArrayView field, T& out);
    // toNumber at single precision; false when the value does not fit a float.
    static bool toSingle(QByteArrayView field, float& out);

private:
    int peek();
    bool refill();
    void skipSeparator();

    QIODevice& m_device;
    QByteArray m_buf;
    qsizetype m_pos = 0;  // next unread byte
    qsizetype m_end = 0;  // end of the bytes held
    qsizetype m_mark = 0; // bytes from here on are kept when the buffer is refilled
    qint64 m_base = 0;    // device offset of m_buf[0]
    qint64 m_fieldEnd = 0;
    qsizetype m_maxField = std::numeric_limits<qsizetype>::max();
    bool m_atEnd = false;
    bool m_readError = false;
    bool m_tooLong = false;
    bool m_pending = false;    // the separator after the last field is not consumed yet
    bool m_afterComma = false; // the last separator was a comma
    bool m_quoted = false;
};

template <typename T> bool QuotedFields::toInteger(QByteArrayView field, T& out) {
    double v = 0;
    return toNumber(field, v) && roundTo(v, out);
}

} // namespace rebar

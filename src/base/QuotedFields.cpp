#include "base/QuotedFields.h"

#include <QIODevice>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace rebar {

namespace {

bool isBlank(int c) {
    return c == ' ' || c == '\t';
}
bool isLineEnd(int c) {
    return c == '\r' || c == '\n';
}

} // namespace

QuotedFields::QuotedFields(QIODevice& device, qsizetype chunkSize)
    : m_device(device), m_base(device.pos()), m_fieldEnd(device.pos()) {
    m_buf.resize(chunkSize < 16 ? 16 : chunkSize);
}

// Reads more input behind the bytes held, first moving the bytes from m_mark on to the front
// (growing the buffer only when one field fills it). False at the end of the input.
bool QuotedFields::refill() {
    if (m_atEnd)
        return false;
    if (m_end - m_mark >= m_maxField) {
        m_tooLong = true;
        m_atEnd = true;
        return false;
    }
    if (m_mark > 0) {
        const qsizetype kept = m_end - m_mark;
        std::memmove(m_buf.data(), m_buf.constData() + m_mark, static_cast<size_t>(kept));
        m_base += m_mark;
        m_pos -= m_mark;
        m_end = kept;
        m_mark = 0;
    }
    if (m_end == m_buf.size())
        m_buf.resize(m_buf.size() * 2);
    const qint64 n = m_device.read(m_buf.data() + m_end, m_buf.size() - m_end);
    if (n <= 0) {
        m_atEnd = true;
        m_readError = n < 0;
        return false;
    }
    m_end += static_cast<qsizetype>(n);
    return true;
}

// The byte at m_pos, or -1 at the end of the input.
int QuotedFields::peek() {
    if (m_pos == m_end && !refill())
        return -1;
    return static_cast<unsigned char>(m_buf.at(m_pos));
}

// Drops whatever follows the last field up to its separator and consumes the separator
// (a comma, or one line end: CR LF, LF or CR).
void QuotedFields::skipSeparator() {
    m_mark = m_pos;
    m_afterComma = false;
    for (;;) {
        const int c = peek();
        if (c < 0)
            return;
        ++m_pos;
        m_mark = m_pos;
        if (c == ',') {
            m_afterComma = true;
            return;
        }
        if (c == '\n')
            return;
        if (c == '\r') {
            if (peek() == '\n')
                ++m_pos;
            m_mark = m_pos;
            return;
        }
    }
}

bool QuotedFields::next(QByteArrayView& field) {
    if (m_pending) {
        m_pending = false;
        skipSeparator();
    }
    // Blanks before the field; blank lines too unless a comma has just opened a field.
    int c = 0;
    for (;;) {
        m_mark = m_pos;
        c = peek();
        if (isBlank(c) || (!m_afterComma && isLineEnd(c))) {
            ++m_pos;
            continue;
        }
        break;
    }
    m_quoted = false;
    if (c < 0 && !m_afterComma)
        return false;
    m_pending = true;
    m_afterComma = false;
    if (c < 0 || isLineEnd(c)) { // an empty field after a comma
        field = QByteArrayView();
        m_fieldEnd = m_base + m_pos;
        return true;
    }

    if (c == '"') {
        m_quoted = true;
        ++m_pos;
        m_mark = m_pos;
        qsizetype start = 0;
        for (;;) {
            const char* p = m_buf.constData();
            const void* q = std::memchr(p + m_pos, '"', static_cast<size_t>(m_end - m_pos));
            if (q) {
                m_pos = static_cast<const char*>(q) - p;
                break;
            }
            m_pos = m_end;
            if (!refill())
                break; // no closing quote: the field runs to the end of the input
        }
        if (m_tooLong)
            return false;
        start = m_mark;
        field = QByteArrayView(m_buf.constData() + start, m_pos - start);
        if (m_pos < m_end)
            ++m_pos; // the closing quote
        m_fieldEnd = m_base + m_pos;
        return true;
    }

    m_mark = m_pos;
    for (;;) {
        const char* p = m_buf.constData();
        qsizetype i = m_pos;
        while (i < m_end && p[i] != ',' && p[i] != '\r' && p[i] != '\n')
            ++i;
        m_pos = i;
        if (i < m_end || !refill())
            break;
    }
    if (m_tooLong)
        return false;
    qsizetype len = m_pos - m_mark;
    while (len > 0 && isBlank(static_cast<unsigned char>(m_buf.at(m_mark + len - 1))))
        --len;
    field = QByteArrayView(m_buf.constData() + m_mark, len);
    m_fieldEnd = m_base + m_mark + len;
    return true;
}

bool QuotedFields::next(QByteArray& field) {
    QByteArrayView v;
    if (!next(v))
        return false;
    field = v.toByteArray();
    return true;
}

bool QuotedFields::toNumber(QByteArrayView field, double& out) {
    const char* b = field.data();
    const char* e = b + field.size();
    while (b < e && isBlank(static_cast<unsigned char>(*b)))
        ++b;
    while (e > b && isBlank(static_cast<unsigned char>(e[-1])))
        --e;
    bool negative = false;
    if (b < e && (*b == '+' || *b == '-')) {
        negative = *b == '-';
        ++b;
    }
    // A digit or a decimal point must follow, which also keeps out "inf", "nan" and signs.
    if (b == e || !((*b >= '0' && *b <= '9') || *b == '.'))
        return false;
    double v = 0;
    const auto [end, ec] = std::from_chars(b, e, v, std::chars_format::general);
    if (ec != std::errc() || end != e || !std::isfinite(v))
        return false;
    out = negative ? -v : v;
    return true;
}

bool QuotedFields::toSingle(QByteArrayView field, float& out) {
    double v = 0;
    if (!toNumber(field, v) ||
        std::fabs(v) > static_cast<double>(std::numeric_limits<float>::max()))
        return false;
    out = static_cast<float>(v);
    return true;
}

} // namespace rebar

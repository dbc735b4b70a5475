#include "base/TextEncoding.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>

namespace rebar {

namespace {

// The number of bytes of the UTF-8 sequence that starts with lead (1 for a stray byte).
qsizetype utf8SequenceLength(unsigned char lead) {
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    return 1;
}

// Converts with iconv; input that cannot be converted becomes one '?' so that it never loses
// the rest. From UTF-8, the '?' stands for the whole character; from a code page, for one byte.
QByteArray convert(const char* to, const char* from, const QByteArray& in, bool fromUtf8) {
    if (in.isEmpty())
        return {};
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return in;
    QByteArray out;
    out.resize(in.size() * 4 + 16);
    char* src = const_cast<char*>(in.constData());
    size_t srcLeft = static_cast<size_t>(in.size());
    char* dst = out.data();
    size_t dstLeft = static_cast<size_t>(out.size());
    while (srcLeft > 0) {
        if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<size_t>(-1))
            break;
        if (errno == E2BIG) {
            const qsizetype used = dst - out.data();
            out.resize(out.size() * 2);
            dst = out.data() + used;
            dstLeft = static_cast<size_t>(out.size() - used);
            continue;
        }
        // Invalid or incomplete sequence: emit '?' and skip one byte.
        if (dstLeft == 0) {
            const qsizetype used = dst - out.data();
            out.resize(out.size() * 2);
            dst = out.data() + used;
            dstLeft = static_cast<size_t>(out.size() - used);
        }
        *dst++ = '?';
        --dstLeft;
        const auto skip = std::min<size_t>(
            srcLeft, fromUtf8
                         ? static_cast<size_t>(utf8SequenceLength(static_cast<unsigned char>(*src)))
                         : 1);
        src += skip;
        srcLeft -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    out.resize(dst - out.data());
    return out;
}

bool pureAscii(const QByteArray& b) {
    for (char c : b)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

} // namespace

QString decodeSystemText(const QByteArray& bytes) {
    if (pureAscii(bytes))
        return QString::fromLatin1(bytes);
    return QString::fromUtf8(convert("UTF-8", "CP932", bytes, false));
}

QByteArray encodeSystemText(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    if (pureAscii(utf8))
        return utf8;
    return convert("CP932", "UTF-8", utf8, true);
}

bool isValidUtf8(const QByteArray& bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const auto* end = p + bytes.size();
    while (p < end) {
        const unsigned char c = *p;
        int follow;
        uint32_t cp;
        if (c < 0x80) {
            ++p;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            follow = 1;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            follow = 2;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            follow = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (end - p <= follow)
            return false;
        for (int i = 1; i <= follow; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (p[i] & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        static constexpr uint32_t minimum[] = {0, 0x80, 0x800, 0x10000};
        if (cp < minimum[follow] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
            return false;
        p += follow + 1;
    }
    return true;
}

QString decodeUtf8OrSystem(const QByteArray& bytes) {
    if (isValidUtf8(bytes))
        return QString::fromUtf8(bytes);
    return decodeSystemText(bytes);
}

QByteArray encodeHeaderText(const QString& text) {
    const QByteArray system = encodeSystemText(text);
    if (decodeSystemText(system) == text)
        return system;
    return QByteArray("\xEF\xBB\xBF", 3) + text.toUtf8();
}

QString decodeHeaderText(const QByteArray& bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    return decodeSystemText(bytes);
}

} // namespace rebar

namespace rebar {

int ByteLength(const QString& text) {
    return static_cast<int>(encodeSystemText(text).size());
}

QString CutToByteLength(const QString& text, int maxBytes) {
    // Walk whole characters (surrogate pairs together) and stop before the one that overflows.
    int bytes = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype len = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const int b = ByteLength(text.mid(i, len));
        if (bytes + b > maxBytes)
            break;
        bytes += b;
        i += len;
    }
    return text.left(i);
}

} // namespace rebar

namespace rebar {

namespace {

int utf8UnitLength(char16_t c) {
    return c < 0x80 ? 1 : c < 0x800 ? 2 : 3;
}

bool isContinuation(unsigned char b) {
    return b >= 0x80 && b <= 0xBF;
}

} // namespace

QByteArray Utf8Encode(const QString& text, bool addBom) {
    QByteArray out;
    if (text.isEmpty())
        return out;
    out.reserve(3 * text.size() + (addBom ? 3 : 0));
    if (addBom)
        out.append("\xEF\xBB\xBF", 3);
    for (const QChar qc : text) {
        const char16_t c = qc.unicode();
        if (c < 0x80) {
            out.append(static_cast<char>(c));
        } else if (c < 0x800) {
            out.append(static_cast<char>(0xC0 + (c >> 6)));
            out.append(static_cast<char>(0x80 + (c & 0x3F)));
        } else {
            out.append(static_cast<char>(0xE0 + (c >> 12)));
            out.append(static_cast<char>(0x80 + ((c >> 6) & 0x3F)));
            out.append(static_cast<char>(0x80 + (c & 0x3F)));
        }
    }
    return out;
}

QString Utf8Decode(const QByteArray& bytes, const QString& defaultChar) {
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    QString out;
    out.reserve(n);
    qsizetype i = n >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF ? 3 : 0;
    while (i < n) {
        const unsigned char c = b[i];
        if (c < 0x80) {
            out.append(QChar(c));
            i += 1;
        } else if (c >= 0xC2 && c <= 0xDF && i + 1 < n && isContinuation(b[i + 1])) {
            out.append(QChar(static_cast<char16_t>(((c & 0x1F) << 6) + (b[i + 1] & 0x3F))));
            i += 2;
        } else if (c >= 0xE0 && c <= 0xEF && i + 2 < n && isContinuation(b[i + 1]) &&
                   isContinuation(b[i + 2])) {
            out.append(QChar(static_cast<char16_t>(((c & 0x0F) << 12) + ((b[i + 1] & 0x3F) << 6) +
                                                   (b[i + 2] & 0x3F))));
            i += 3;
        } else if (c >= 0xF0 && c <= 0xF4 && i + 3 < n && isContinuation(b[i + 1]) &&
                   isContinuation(b[i + 2]) && isContinuation(b[i + 3])) {
            // Written by other programs: a character beyond the 16-bit range.
            const char32_t cp = (static_cast<char32_t>(c & 0x07) << 18) +
                                (static_cast<char32_t>(b[i + 1] & 0x3F) << 12) +
                                (static_cast<char32_t>(b[i + 2] & 0x3F) << 6) + (b[i + 3] & 0x3F);
            if (cp >= 0x10000 && cp <= 0x10FFFF) {
                out.append(QChar(QChar::highSurrogate(cp)));
                out.append(QChar(QChar::lowSurrogate(cp)));
                i += 4;
            } else {
                out.append(defaultChar);
                i += 1;
            }
        } else {
            out.append(defaultChar);
            i += 1;
        }
    }
    return out;
}

int Utf8Length(const QString& text) {
    int n = 0;
    for (const QChar c : text)
        n += utf8UnitLength(c.unicode());
    return n;
}

QString CutToUtf8Length(const QString& text, int maxBytes) {
    int bytes = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype len =
            text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2
                                                                                             : 1;
        int b = 0;
        for (qsizetype k = i; k < i + len; ++k)
            b += utf8UnitLength(text[k].unicode());
        if (bytes + b > maxBytes)
            break;
        bytes += b;
        i += len;
    }
    return text.left(i);
}

} // namespace rebar

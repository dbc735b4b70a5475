#include "data/TextEncoding.h"

#include <QStringDecoder>
#include <cerrno>
#include <iconv.h>

namespace rebar {

namespace {

// Converts with iconv; unconvertible input becomes '?' so a stray byte never loses the rest.
QByteArray convert(const char* to, const char* from, const QByteArray& in) {
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
        ++src;
        --srcLeft;
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
    return QString::fromUtf8(convert("UTF-8", "CP932", bytes));
}

QByteArray encodeSystemText(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    if (pureAscii(utf8))
        return utf8;
    return convert("CP932", "UTF-8", utf8);
}

bool isValidUtf8(const QByteArray& bytes) {
    QStringDecoder dec(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    (void)dec.decode(bytes);
    return !dec.hasError();
}

QString decodeUtf8OrSystem(const QByteArray& bytes) {
    if (isValidUtf8(bytes))
        return QString::fromUtf8(bytes);
    return decodeSystemText(bytes);
}

} // namespace rebar

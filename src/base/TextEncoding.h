#pragma once
// Text in the system code page (CP932, Shift-JIS): header texts of measurement files are
// decoded from it and byte lengths of fixed-width text columns are counted in it.

#include <QByteArray>
#include <QString>

namespace rebar {

QString decodeSystemText(const QByteArray& bytes);
QByteArray encodeSystemText(const QString& text);
// True when bytes are well-formed UTF-8.
bool isValidUtf8(const QByteArray& bytes);
// UTF-8 when well formed, else the system code page.
QString decodeUtf8OrSystem(const QByteArray& bytes);
// Free text of a file header: in the system code page when that holds every character, else
// as UTF-8 after a byte-order mark, so that no character is lost; and back.
QByteArray encodeHeaderText(const QString& text);
QString decodeHeaderText(const QByteArray& bytes);

} // namespace rebar

namespace rebar {

// Length of a text in bytes of the system code page.
int ByteLength(const QString& text);
// The longest start of text that fits maxBytes bytes of the system code page, never splitting
// a double-byte character.
QString CutToByteLength(const QString& text, int maxBytes);

// The UTF-8 form of the ZVX comment fields, written one UTF-16 code unit at a time: below 0x80
// one byte, below 0x800 two, else three (so a surrogate pair takes 3 + 3 bytes, as the files
// of the 940 family carry it). With addBom the bytes EF BB BF come first; an empty text gives
// no bytes at all.
QByteArray Utf8Encode(const QString& text, bool addBom);
// The text of UTF-8 bytes: a leading EF BB BF is skipped; sequences of one, two and three bytes
// are decoded (three-byte surrogates pair up again), and four-byte sequences give their
// surrogate pair; every byte that starts no complete sequence gives defaultChar (nothing when
// it is empty). A zero byte gives a NUL character.
QString Utf8Decode(const QByteArray& bytes, const QString& defaultChar);
// The number of bytes Utf8Encode writes for text (without a byte-order mark).
int Utf8Length(const QString& text);
// The longest start of text whose Utf8Encode form fits maxBytes, never ending inside a
// character (a surrogate pair stays whole).
QString CutToUtf8Length(const QString& text, int maxBytes);

} // namespace rebar

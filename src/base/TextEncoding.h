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

} // namespace rebar

namespace rebar {

// Length of a text in bytes of the system code page.
int ByteLength(const QString& text);
// The longest start of text that fits maxBytes bytes of the system code page, never splitting
// a double-byte character.
QString CutToByteLength(const QString& text, int maxBytes);

} // namespace rebar

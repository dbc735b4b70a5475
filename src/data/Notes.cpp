#include "data/Notes.h"

#include "base/TextEncoding.h"

namespace rebar {

const std::array<CommentField, 4>& CommentFields() {
    static const std::array<CommentField, 4> fields = {{
        {ZvxHeader::OffComment1, ZvxHeader::LenComment1, 40},
        {ZvxHeader::OffComment2, ZvxHeader::LenComment2, 40},
        {ZvxHeader::OffComment3, ZvxHeader::LenComment3, 20},
        {ZvxHeader::OffComment4, ZvxHeader::LenComment4, 20},
    }};
    return fields;
}

Comments CommentsOf(const MeasurementRecord& r) {
    Comments c;
    for (size_t i = 0; i < 4; ++i) {
        const CommentField& f = CommentFields()[i];
        const QByteArray bytes(reinterpret_cast<const char*>(r.Zvx.Bytes.data()) + f.offset,
                               f.width);
        c.texts[i] = Utf8Decode(bytes, QString()).section(QChar(0), 0, 0);
    }
    c.direction = r.Zvx.MeasureDirection();
    return c;
}

void SetNote(MeasurementRecord& r, const QString& note) {
    r.Note = note;
    r.Modified = FlagTrue;
}

void SetComment(MeasurementRecord& r, const std::array<QString, 4>& texts, int direction) {
    for (size_t i = 0; i < 4; ++i) {
        const CommentField& f = CommentFields()[i];
        const QByteArray bytes = Utf8Encode(CutToUtf8Length(texts[i], f.width), false);
        uint8_t* field = r.Zvx.Bytes.data() + f.offset;
        std::fill(field, field + f.width, uint8_t{0});
        std::copy(bytes.begin(), bytes.end(), field);
    }
    if (direction >= 0 && direction <= 4)
        r.Zvx.Bytes[ZvxHeader::OffMeasureDirection] = static_cast<uint8_t>(direction);
    r.Modified = FlagTrue;
}

bool CommentKeyAccepted(const QString& text, int selected, const CommentField& field) {
    // A selected character takes at least one byte in either form, so the header check never
    // lets a text grow past its field.
    return ByteLength(text) - selected + 1 <= field.typeLimit &&
           Utf8Length(text) - selected + 3 <= field.width;
}

QString FitComment(const QString& text, const CommentField& field) {
    return CutToUtf8Length(CutToByteLength(text, field.typeLimit), field.width);
}

} // namespace rebar

#pragma once
// The free texts of a measurement: the note of the 730 family (lines separated by CR LF) and
// the four comments and the measuring direction that ZVX files of kind 10 carry in their
// header. The comment dialog edits them; a save writes them with the file.

#include "data/MeasurementRecord.h"

#include <QString>
#include <array>

namespace rebar {

// One comment field of the ZVX header: where it lies, how many bytes it holds and how many
// code-page bytes the dialog lets the user type into it.
struct CommentField {
    int offset = 0;
    int width = 0;     // bytes in the header
    int typeLimit = 0; // bytes of the system code page
};
// Company name, site name, worker name and measured part, in dialog order (Text2..Text5).
const std::array<CommentField, 4>& CommentFields();

// The four comments and the measuring direction as the dialog shows them.
struct Comments {
    std::array<QString, 4> texts;
    int direction = 0; // 0 not set, 1 up, 2 down, 3 left, 4 right; other values as stored
};
// The comments decoded from the header, each shown up to its first NUL character.
Comments CommentsOf(const MeasurementRecord& r);

// The note, as the user typed it; marks the record modified.
void SetNote(MeasurementRecord& r, const QString& note);
// Writes the four comments into their header fields, each encoded as UTF-8 and cut to the
// field at a character boundary (the rest of the field zero), and the measuring direction;
// marks the record modified. A direction outside 0..4 leaves the stored one as it is.
void SetComment(MeasurementRecord& r, const std::array<QString, 4>& texts, int direction);

// The typing rule of a comment box: whether one more character may be typed into a box holding
// `text` with `selected` characters selected, given the box's code-page limit and the width of
// its header field (a character typed takes at most three bytes there).
bool CommentKeyAccepted(const QString& text, int selected, const CommentField& field);
// Text pasted or typed into a comment box, cut to what the box takes: at most the code-page
// limit and at most the header field's width, never inside a character.
QString FitComment(const QString& text, const CommentField& field);

} // namespace rebar

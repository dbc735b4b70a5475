#pragma once
// The picture the copy command puts on the clipboard: the depth axis, the radargram as the view
// holds it (from its first column, whatever the scroll position and direction) and up to three
// text lines (title, measurement date, today as the creation date), with three frame lines.

#include <QDate>
#include <QImage>

namespace rebar {

class MeasurementDocument;

// Composes the copy picture into pics (replaced); the text lines follow the document's settings
// (SensPrint, UseModelPrint, MeasurementDatePrint, CreationDatePrint). False when the document
// has no picture to copy.
bool ComposeCopyPicture730(const MeasurementDocument& doc, const QDate& today, QImage& pics);
bool ComposeCopyPicture940(const MeasurementDocument& doc, const QDate& today, QImage& pics);

// Composes the copy picture and puts it on the platform's clipboard: 0 when it is there, 1 when
// anything failed (the clipboard may then be empty).
int SaveCopy730(const MeasurementDocument& doc, QImage& pics);
int SaveCopy940(const MeasurementDocument& doc, QImage& pics);

} // namespace rebar

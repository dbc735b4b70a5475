#pragma once
// Texts the desktop shows around a measurement view: its title, the main frame's status line,
// and menu captions with their access keys.

#include "data/MeasurementRecord.h"

#include <QString>

namespace rebar {

// The file name, with "*" after it while the view holds changes not saved.
QString ViewTitle(const MeasurementRecord& r);

// The status line of the active view: family, traces, length along the scan and permittivity
// (or the time axis), in Japanese or English.
QString ViewStatusLine(const MeasurementRecord& r, bool japanese);

// A menu caption with the access key `letter`: "&" before the letter's first occurrence in a
// caption that holds it (either case), else "(&L)" after the caption ("ファイル(&F)"). A caption
// that already has an access key is kept.
QString WithMnemonic(const QString& caption, QChar letter);

} // namespace rebar

#include "export/frmJpeg.h"

#include "base/DateText.h"
#include "config/Program.h"
#include "export/JpegExport.h"
#include "view/CursorPosition.h"
#include "view/FrmMain.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace rebar {

namespace {

// The option groups: their Option1 indexes and captions, and the label caption in front.
struct Group {
    int firstOption;
    std::array<int, 3> captions; // -1: no third option
    int label;
};
constexpr Group Groups[8] = {
    {0, {184, 185, -1}, 183},  // A-mode panel
    {2, {186, 190, -1}, 186},  // distances from the range's start / from the file
    {4, {184, 185, -1}, 192},  // measurement-date line
    {6, {184, 185, -1}, 191},  // creation-date line
    {8, {194, 195, 196}, 193}, // output form
    {11, {184, 185, -1}, 197}, // cursor cross
    {13, {184, 185, -1}, 198}, // sensitivity in the title
    {15, {184, 185, -1}, 199}, // model in the title
};
enum { GAMode, GDistance, GMeasDate, GCreateDate, GForm, GCursor, GSens, GModel };

// The distance of an image column as the cursor readouts give it.
double columnDistance(const MeasurementDocument& doc, int column) {
    const MeasurementRecord& r = doc.record();
    const CalibrationTables& t = *doc.context().tables;
    return r.is940() ? CalcPosition940(r, t, column, 0).distance
                     : CalcPosition730(r, t, column, 0).distance;
}

bool wide(const MeasurementRecord& r) {
    return r.ViewRange >= 3 && r.ViewRange <= 5;
}

} // namespace

frmJpeg::frmJpeg(FrmMain* view) : QDialog(view), m_view(view) {
    setObjectName(QStringLiteral("frmJpeg"));
    const Settings& s = program().settings;
    const int initial[8] = {s.AModePrint != 0,
                            1,
                            s.MeasurementDatePrint != 0,
                            s.CreationDatePrint != 0,
                            std::clamp<int>(s.PrintingForm, 0, 2),
                            s.CrossCursorPrint != 0,
                            s.SensPrint != 0,
                            s.UseModelPrint != 0};
    auto* grid = new QGridLayout;
    for (int g = 0; g < 8; ++g) {
        auto* label = new QLabel(caption(Groups[g].label), this);
        label->setObjectName(QStringLiteral("Label1_%1").arg(g == 0 ? 0 : g + 1));
        grid->addWidget(label, g, 0);
        m_groups[g] = new QButtonGroup(this);
        auto* row = new QHBoxLayout;
        for (int i = 0; i < 3 && Groups[g].captions[i] >= 0; ++i) {
            auto* b = new QRadioButton(caption(Groups[g].captions[i]), this);
            b->setObjectName(QStringLiteral("Option1_%1").arg(Groups[g].firstOption + i));
            m_groups[g]->addButton(b, i);
            row->addWidget(b);
        }
        row->addStretch(1);
        grid->addLayout(row, g, 1);
        m_groups[g]->button(initial[g])->setChecked(true);
    }
    // The range: start and end with their distances and the buttons that take the cursor.
    auto* range = new QLabel(caption(187), this);
    range->setObjectName(QStringLiteral("Label1_1"));
    auto* rangeRow = new QHBoxLayout;
    for (int i = 0; i < 2; ++i) {
        m_distance[i] = new QLabel(this);
        m_distance[i]->setObjectName(QStringLiteral("Label3_%1").arg(i));
        m_distance[i]->setMinimumWidth(70);
        auto* take = new QPushButton(caption(188), this);
        take->setObjectName(QStringLiteral("Command1_%1").arg(i));
        take->setAutoDefault(false); // Enter confirms with OK, it does not move the range
        connect(take, &QPushButton::clicked, this, [this, i] { takeCursor(i); });
        rangeRow->addWidget(m_distance[i]);
        rangeRow->addWidget(take);
        if (i == 0) {
            // The end of the range carries its own caption ("終点").
            auto* end = new QLabel(caption(189), this);
            end->setObjectName(QStringLiteral("RangeEndLabel"));
            rangeRow->addSpacing(12);
            rangeRow->addWidget(end);
        }
    }
    rangeRow->addStretch(1);
    grid->addWidget(range, 8, 0);
    grid->addLayout(rangeRow, 8, 1);
    // The two dates.
    for (int i = 0; i < 2; ++i) {
        m_dates[i] = new QLineEdit(this);
        m_dates[i]->setObjectName(QStringLiteral("Text2_%1").arg(i));
        m_dates[i]->setMaximumWidth(120);
        grid->addWidget(new QLabel(caption(i == 0 ? 192 : 191), this), 9 + i, 0);
        grid->addWidget(m_dates[i], 9 + i, 1);
    }
    connect(m_groups[GMeasDate], &QButtonGroup::idClicked, this, [this] { syncDateFields(); });
    connect(m_groups[GCreateDate], &QButtonGroup::idClicked, this, [this] { syncDateFields(); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (int i = 0; i < 2; ++i) {
        auto* b = new QPushButton(i == 0 ? QStringLiteral("OK") : caption(145), this);
        b->setObjectName(QStringLiteral("Command2_%1").arg(i));
        b->setDefault(i == 0);
        connect(b, &QPushButton::clicked, this, [this, i] { press(i); });
        buttons->addWidget(b);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    syncDateFields();
}

void frmJpeg::SetData(int LastTrace, const QDate& MeasurementDate, const QDate& CreationDate,
                      const QString& FileName) {
    m_lastTrace = std::max(LastTrace, 1);
    m_start = 1;
    m_end = m_lastTrace;
    m_dates[0]->setText(MeasurementDate.isValid() ? ShortDateText(MeasurementDate) : QString());
    m_dates[1]->setText(CreationDate.isValid() ? ShortDateText(CreationDate) : QString());
    setWindowTitle(QStringLiteral("SaveJpeg   ") + FileName);
    showRange();
}

void frmJpeg::showRange() {
    const MeasurementDocument& doc = m_view->document();
    const bool w = wide(doc.record());
    const int startColumn = w ? std::max(m_start / 2, 1) : m_start;
    const int endColumn = w ? m_end / 2 : m_end;
    m_distance[0]->setText(FormatFixed(columnDistance(doc, startColumn), 4));
    m_distance[1]->setText(FormatFixed(columnDistance(doc, endColumn), 4));
}

void frmJpeg::syncDateFields() {
    m_dates[0]->setEnabled(m_groups[GMeasDate]->checkedId() == 0);
    m_dates[1]->setEnabled(m_groups[GCreateDate]->checkedId() == 0);
}

// Command1(0) / (1): the cursor's column as the range start / end, as a trace number.
void frmJpeg::takeCursor(int which) {
    const MeasurementDocument& doc = m_view->document();
    const int column = doc.state().CursorColumn;
    const int trace = wide(doc.record()) ? GetXPos(doc.record(), column) : column;
    if (trace > m_lastTrace || trace < 1)
        return;
    (which == 0 ? m_start : m_end) = trace;
    showRange();
}

void frmJpeg::ok() {
    Platform& ui = platform();
    const QString title = m_view->record().FilePath;
    if (m_start >= m_end) {
        ui.messageBox(message(29), title, MsgIcon::Warning);
        return;
    }
    CompositionParams p;
    p.AModePrint = static_cast<int16_t>(m_groups[GAMode]->checkedId());
    p.StartTrace = m_start;
    p.EndTrace = m_end;
    p.DistanceFromFile = static_cast<int16_t>(m_groups[GDistance]->checkedId());
    p.MeasurementDatePrint = static_cast<int16_t>(m_groups[GMeasDate]->checkedId());
    p.CreationDatePrint = static_cast<int16_t>(m_groups[GCreateDate]->checkedId());
    p.CrossCursorPrint = static_cast<int16_t>(m_groups[GCursor]->checkedId());
    p.SensPrint = static_cast<int16_t>(m_groups[GSens]->checkedId());
    p.UseModelPrint = static_cast<int16_t>(m_groups[GModel]->checkedId());
    p.TitlePrint = 0;
    if (p.MeasurementDatePrint == 0) {
        p.MeasurementDate = ParseDateText(m_dates[0]->text().trimmed());
        if (!p.MeasurementDate.isValid()) {
            ui.messageBox(message(30), title, MsgIcon::Warning);
            return;
        }
    } // else a null date: the record's own date stays
    if (p.CreationDatePrint == 0) {
        p.CreationDate = ParseDateText(m_dates[1]->text().trimmed());
        if (!p.CreationDate.isValid()) {
            ui.messageBox(message(30), title, MsgIcon::Warning);
            return;
        }
    } else {
        p.CreationDate = QDate::currentDate();
    }
    const int16_t form = static_cast<int16_t>(m_groups[GForm]->checkedId());
    ExportOutcome outcome;
    const int result = m_view->JpegExport(p, form, &outcome);
    if (result == 2)
        return; // the file chooser was cancelled: the dialog stays
    if (!outcome.workbookError.isEmpty())
        ui.messageBox(outcome.workbookError, QString(), MsgIcon::Critical);
    if (result == 0)
        ui.messageBox(message(3), title, MsgIcon::Information);
    else
        ui.messageBox(message(18), title, MsgIcon::Warning);
    done(result == 0 ? Accepted : Rejected);
}

void frmJpeg::press(int button) {
    if (button == 0)
        ok();
    else if (button == 1)
        reject();
    else if (button == 2 || button == 3)
        takeCursor(button - 2);
}

QList<int> frmJpeg::dialogValues() const {
    QList<int> v;
    for (const QButtonGroup* g : m_groups)
        v << g->checkedId();
    return v << m_start << m_end;
}

QStringList frmJpeg::dialogTexts() const {
    return {m_dates[0]->text(), m_dates[1]->text()};
}

void frmJpeg::setTexts(const QStringList& texts) {
    for (int i = 0; i < 2 && i < texts.size(); ++i)
        m_dates[i]->setText(texts[i]);
}

void frmJpeg::answer(int button, const QList<int>& values) {
    for (int g = 0; g < 8 && g < values.size(); ++g)
        if (QAbstractButton* b = m_groups[g]->button(values[g]))
            b->setChecked(true);
    if (values.size() >= 10) {
        m_start = std::clamp(values[8], 1, m_lastTrace);
        m_end = std::clamp(values[9], 1, m_lastTrace);
        showRange();
    }
    syncDateFields();
    if (button >= 0)
        press(button);
    else
        reject();
}

} // namespace rebar

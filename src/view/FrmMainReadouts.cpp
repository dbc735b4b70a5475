// Cursor readouts, A-mode trace and marker list of a view.

#include "config/Program.h"
#include "platform/Platform.h"
#include "view/AModeTrace.h"
#include "view/CursorMotion.h"
#include "view/CursorPosition.h"
#include "view/FrmMain.h"
#include "view/MarkerList.h"
#include "view/PictureBoxWidget.h"

#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QScrollBar>

namespace rebar {

// Positions the cross lines, writes the readouts and redraws the A-mode trace for the
// current cursor. Quietly does nothing until the view is loaded; a failed conversion leaves
// the labels as far as they were written.
void FrmMain::UpdateReadouts() {
    if (m_rec.Loaded != FlagTrue)
        return;
    const bool f940 = m_rec.is940();
    const int C = m_state.CursorColumn;
    const int R = m_state.CursorRow;
    const int V = m_hsc->value();
    const int Wb = m_picb->width();
    const int imageWidth = ImageWidth(m_rec.TraceCount, m_rec.ViewRange);

    // Cross lines.
    if (C > V + Wb - 1 || C < V) {
        m_xbar->hide();
    } else {
        m_xbar->show();
        if (C <= imageWidth) {
            const int offset = C - V + 2;
            const int x = m_rec.Direction == 1 ? m_picb->x() + m_picb->width() - offset
                                               : m_picb->x() + offset;
            m_xbar->move(x, m_xbar->y());
        }
    }
    int rowOffset = R + 22;
    if (m_picb->height() <= rowOffset) {
        const bool half = m_rec.CoverMagnification != 0;
        rowOffset = f940 ? (half ? 405 : 789) : (half ? 277 : 533);
    }
    m_ybar->move(m_ybar->x(), m_picb->y() + rowOffset);
    m_yabar->move(m_yabar->x(), m_pica->y() + rowOffset);

    // Readouts.
    const int s = RowToSample(m_rec, R);
    const CursorPosition p =
        f940 ? CalcPosition940(m_rec, program().tables, program().MaxTraces, C, s)
             : CalcPosition730(m_rec, program().tables, C, s);
    if (p.ok) {
        const ReadoutTexts t = FormatReadouts(m_rec, p);
        if (t.distanceSet) {
            m_lblCursorX[0]->setText(t.distanceCaption);
            m_lblCursorX[1]->setText(t.distanceValue);
        }
        if (t.depthSet) {
            m_lblCursorY[0]->setText(t.depthCaption);
            m_lblCursorY[1]->setText(t.depthValue);
        }
        m_lblYuudenritu[0]->setText(t.permittivityCaption);
        m_lblYuudenritu[1]->setText(t.permittivityValue);
    }

    // Positioning data of GPS-equipped files.
    bool gps = false;
    if (f940 && m_rec.FileKind == KindZvx4) {
        const auto field = [this](int off, int len) {
            return QString::fromLatin1(reinterpret_cast<const char*>(m_rec.Zvx.Bytes.data()) + off,
                                       len)
                .section(QChar(0), 0, 0)
                .trimmed();
        };
        const QString lat = field(ZvxHeader::OffLatitude, ZvxHeader::LenLatitude);
        const QString lon = field(ZvxHeader::OffLongitude, ZvxHeader::LenLongitude);
        gps = !lat.isEmpty() && lat.left(1).toDouble() > 0;
        if (gps) {
            auto plain = [](const QString& v) {
                const double d = v.toDouble();
                return (d >= 0 ? QStringLiteral(" ") : QString()) + QString::number(d, 'g', 15);
            };
            const bool jp = program().settings.Language == QLatin1String("JP");
            m_lblGPSDate->setText(
                (jp ? QString::fromUtf8("GPS測位時刻 ") : QStringLiteral("GPS positioning time ")) +
                m_rec.MeasureDate);
            m_lblLocation->setText(jp ? QString::fromUtf8("緯度:") + plain(lat) +
                                            QString::fromUtf8(" 経度:") + plain(lon)
                                      : QStringLiteral("Lat:") + plain(lat) +
                                            QStringLiteral(" Long:") + plain(lon));
            m_lblLocation->setStyleSheet(
                QStringLiteral("color: rgb(0,0,255); text-decoration: underline;"));
        }
    }
    const bool showGps = gps && m_state.Options.Position == 1;
    m_lblGPSDate->setVisible(showGps);
    m_lblLocation->setVisible(showGps);

    DrawAModeTrace(m_rec, C, m_pica->picture());
    m_pica->update();
}

bool FrmMain::RebuildMarkerList() {
    const MarkerListContent c =
        BuildMarkerList(m_rec, program().tables, program().MaxTraces, m_state.CurrentMarker);
    m_mklist->clear();
    m_mklist->addItem(c.header);
    for (const MarkerListLine& line : c.lines) {
        auto* item = new QListWidgetItem(line.text, m_mklist);
        item->setData(Qt::UserRole, line.itemData);
    }
    if (c.selected >= 0 && c.selected < m_mklist->count())
        m_mklist->setCurrentRow(c.selected);
    for (size_t i = 0; i < c.labels.size(); ++i)
        if (c.labelSet[i])
            m_lblMaker[i]->setText(c.labels[i]);
    return c.ok;
}

} // namespace rebar

namespace rebar {

namespace {
CursorScene sceneOf(const MeasurementRecord& r, const ViewState& st, const QScrollBar* hsc,
                    const ScrollRange& range, const QWidget* picb) {
    CursorScene s;
    s.column = st.CursorColumn;
    s.row = st.CursorRow;
    s.scroll = hsc->value();
    s.scrollMin = range.minimum;
    s.scrollMax = range.maximum;
    s.pictureWidth = picb->width();
    s.pictureHeight = picb->height();
    s.traceCount = r.TraceCount;
    s.viewRange = r.ViewRange;
    s.direction = r.Direction;
    s.rows = (r.is940() ? 768 : 512) / (r.CoverMagnification != 0 ? 2 : 1);
    return s;
}
} // namespace

void FrmMain::PlaceCursor(int x, int y) {
    CursorScene s = sceneOf(m_rec, m_state, m_hsc, m_range, m_picb);
    const CursorMove m = MouseMoveCursor(s, x, y);
    if (m.ignored)
        return;
    m_state.CursorColumn = s.column;
    m_state.CursorRow = s.row;
    if (m.scrolled) {
        m_hsc->setValue(s.scroll); // redraws through the scroll handler
        platform().processEvents();
    }
    UpdateReadouts();
}

void FrmMain::CursorKey(int key, Qt::KeyboardModifiers modifiers) {
    CursorScene s = sceneOf(m_rec, m_state, m_hsc, m_range, m_picb);
    const Qt::KeyboardModifiers mods = modifiers & ~Qt::KeypadModifier;
    const CursorMove m = KeyMoveCursor(s, key, mods == Qt::ShiftModifier, mods == Qt::NoModifier);
    if (m.ignored)
        return;
    m_state.CursorColumn = s.column;
    m_state.CursorRow = s.row;
    if (m.scrolled)
        m_hsc->setValue(s.scroll);
    UpdateReadouts();
}

} // namespace rebar

#include "view/frmWindowOption.h"

#include "config/Program.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace rebar {

namespace {
constexpr int HalfWave = 6; // the index of AModeSetChoice among the nine options
} // namespace

QList<int> OptionValues(const WindowOptions& o) {
    return {o.AModeWin,   o.MKList,         o.CursorInfo, o.Dielectric,      o.Position,
            o.MarkerInfo, o.AModeSetChoice, o.Tire,       o.MeasurementSpeed};
}

WindowOptions OptionsOf(const QList<int>& v) {
    WindowOptions o;
    if (v.size() != 9)
        return o;
    // On/off options are 1 for show and 0 for anything else; the half-wave choice is 0..2.
    auto onOff = [&v](int i) { return static_cast<int16_t>(v[i] == 1 ? 1 : 0); };
    o.AModeWin = onOff(0);
    o.MKList = onOff(1);
    o.CursorInfo = onOff(2);
    o.Dielectric = onOff(3);
    o.Position = onOff(4);
    o.MarkerInfo = onOff(5);
    o.AModeSetChoice = static_cast<int16_t>(v[HalfWave] == 0 ? 0 : v[HalfWave] == 1 ? 1 : 2);
    o.Tire = onOff(7);
    o.MeasurementSpeed = onOff(8);
    return o;
}

frmWindowOption::frmWindowOption(QWidget* parent, const WindowOptions& options, int id)
    : QDialog(parent), m_id(id) {
    setObjectName(QStringLiteral("frmWindowOption"));
    setWindowTitle(caption(61));
    auto* grid = new QGridLayout;
    for (int f = 0; f < 9; ++f) {
        auto* frame = new QGroupBox(caption(254 + f), this);
        frame->setObjectName(QStringLiteral("Option%1Frame").arg(f + 1));
        auto* row = new QHBoxLayout(frame);
        m_groups[static_cast<size_t>(f)] = new QButtonGroup(this);
        const int buttons = f == HalfWave ? 3 : 2;
        for (int b = 0; b < buttons; ++b) {
            auto* rb = new QRadioButton(caption(f == HalfWave ? 265 + b : 263 + b), frame);
            rb->setObjectName(QStringLiteral("Option%1SW_%2").arg(f + 1).arg(b));
            m_groups[static_cast<size_t>(f)]->addButton(rb, b);
            row->addWidget(rb);
        }
        row->addStretch();
        // The half-wave choice spans the width; the on/off options stand two by two.
        if (f == HalfWave) {
            grid->addWidget(frame, 3, 0, 1, 2);
        } else {
            const int k = f < HalfWave ? f : f - 1;
            grid->addWidget(frame, k < 6 ? k / 2 : 4, k % 2);
        }
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (int i = 0; i < 2; ++i) {
        auto* b = new QPushButton(caption(144 + i), this);
        b->setObjectName(QStringLiteral("OkCancel_%1").arg(i));
        connect(b, &QPushButton::clicked, this, [this, i] { press(i); });
        buttons->addWidget(b);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    SetDispSetSW(options);
}

void frmWindowOption::SetDispSetSW(const WindowOptions& o) {
    const QList<int> v = OptionValues(o);
    for (int f = 0; f < 9; ++f) {
        const int button = f == HalfWave ? std::clamp(v[f], 0, 2) : (v[f] == 1 ? 1 : 0);
        m_groups[static_cast<size_t>(f)]->button(button)->setChecked(true);
    }
}

WindowOptions frmWindowOption::options() const {
    QList<int> v;
    for (const QButtonGroup* g : m_groups)
        v << std::max(g->checkedId(), 0);
    return OptionsOf(v);
}

QList<int> frmWindowOption::dialogValues() const {
    return OptionValues(options());
}

void frmWindowOption::press(int button) {
    m_accepted = button == 0;
    if (m_accepted)
        accept();
    else
        reject();
}

void frmWindowOption::answer(int button, const QList<int>& values) {
    if (values.size() == 9)
        SetDispSetSW(OptionsOf(values));
    if (button >= 0)
        press(button);
    else
        reject();
}

} // namespace rebar

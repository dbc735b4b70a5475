#include "app/frmDefaultSet.h"

#include "config/IniStore.h"
#include "config/Program.h"
#include "config/SystemPaths.h"
#include "platform/Platform.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace rebar {

namespace {

const QStringList UnitWords = {QStringLiteral("mm"), QStringLiteral("cm"), QStringLiteral("m"),
                               QStringLiteral("inch")};

QGroupBox* frame(QWidget* parent, const QString& name, const QString& title) {
    auto* g = new QGroupBox(title, parent);
    g->setObjectName(name);
    return g;
}

// An option group of n buttons named name_0.., captioned from the caption table.
QButtonGroup* optionGroup(QGroupBox* box, const QString& name, const QList<int>& captions) {
    auto* group = new QButtonGroup(box);
    auto* layout = new QHBoxLayout;
    for (int i = 0; i < captions.size(); ++i) {
        auto* b = new QRadioButton(caption(captions[i]), box);
        b->setObjectName(QStringLiteral("%1_%2").arg(name).arg(i));
        group->addButton(b, i);
        layout->addWidget(b);
    }
    layout->addStretch(1);
    if (auto* grid = qobject_cast<QGridLayout*>(box->layout()))
        grid->addLayout(layout, grid->rowCount(), 0, 1, -1);
    else
        box->setLayout(layout);
    return group;
}

QComboBox* combo(QWidget* parent, const QString& name, const QStringList& items) {
    auto* c = new QComboBox(parent);
    c->setObjectName(name);
    c->addItems(items);
    return c;
}

QStringList captions(std::initializer_list<int> indexes) {
    QStringList out;
    for (int i : indexes)
        out << caption(i);
    return out;
}

QStringList captionRange(int first, int last) {
    QStringList out;
    for (int i = first; i <= last; ++i)
        out << caption(i);
    return out;
}

} // namespace

frmDefaultSet::frmDefaultSet(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmDefaultSet"));
    setWindowTitle(caption(147));
    m_730.family = 730;
    m_940.family = 940;
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("SSTab1"));
    m_tabs->addTab(buildSystemTab(), caption(148));
    m_tabs->addTab(buildFamilyTab(m_730), caption(149));
    m_tabs->addTab(buildFamilyTab(m_940), caption(150));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("Command1_0"));
    auto* cancel = new QPushButton(QStringLiteral("CANCEL"), this);
    cancel->setObjectName(QStringLiteral("Command1_1"));
    connect(ok, &QPushButton::clicked, this, [this] { Ok(); });
    connect(cancel, &QPushButton::clicked, this, &frmDefaultSet::Cancel);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addLayout(buttons);

    loadSystemTab();
    loadFamilyTab(m_730);
    loadFamilyTab(m_940);
    m_tabs->setCurrentIndex(std::clamp<int>(program().settings.Tab, 0, 2));
}

// ---- Building ----------------------------------------------------------------------------

QWidget* frmDefaultSet::buildSystemTab() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    QGroupBox* language = frame(page, QStringLiteral("Frame1_0"), caption(151));
    m_language = combo(language, QStringLiteral("Combo1"), {});
    (new QHBoxLayout(language))->addWidget(m_language);
    grid->addWidget(language, 0, 0);
    for (int k = 1; k <= 7; ++k) {
        QGroupBox* box = frame(page, QStringLiteral("Frame1_%1").arg(k), caption(151 + k));
        const int option = k == 7 ? 6 : k - 1; // Frame1(7) holds Option6
        const QList<int> texts = k == 6 ? QList<int>{194, 195, 196} : QList<int>{184, 185};
        m_printOptions[static_cast<size_t>(option)] =
            optionGroup(box, QStringLiteral("Option%1").arg(option), texts);
        grid->addWidget(box, k / 2, k % 2);
    }
    return page;
}

QWidget* frmDefaultSet::buildFamilyTab(FamilyTab& tab) {
    const bool f940 = tab.family == 940;
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    const QString frameName = f940 ? QStringLiteral("Frame940_%1") : QStringLiteral("Frame730_%1");
    const int firstCaption = f940 ? 173 : 163;
    const int keep = f940 ? 182 : 172, use = f940 ? 181 : 171;
    const int optionBase = f940 ? 20 : 10;
    for (int k = 0; k <= 7; ++k) {
        QGroupBox* box = frame(page, frameName.arg(k), caption(firstCaption + k));
        box->setLayout(new QGridLayout);
        auto* boxGrid = static_cast<QGridLayout*>(box->layout());
        QWidget* value = nullptr;
        QWidget* value2 = nullptr;
        switch (k) {
        case 0:
            tab.permittivity = new QLineEdit(box);
            tab.permittivity->setObjectName(f940 ? QStringLiteral("Text20_0")
                                                 : QStringLiteral("Text1_2"));
            value = tab.permittivity;
            break;
        case 1:
            tab.gradation = combo(box, f940 ? QStringLiteral("Combo21") : QStringLiteral("Combo11"),
                                  captionRange(37, f940 ? 48 : 46));
            value = tab.gradation;
            break;
        case 2:
            tab.direction = combo(box, f940 ? QStringLiteral("Combo22") : QStringLiteral("Combo12"),
                                  captions({58, 59}));
            value = tab.direction;
            break;
        case 3:
            tab.sensitivity =
                combo(box, f940 ? QStringLiteral("Combo23") : QStringLiteral("Combo13"),
                      f940 ? captionRange(23, 36) : captionRange(23, 27) + captionRange(30, 34));
            value = tab.sensitivity;
            break;
        case 4:
            tab.range = combo(box, f940 ? QStringLiteral("Combo24") : QStringLiteral("Combo14"),
                              captionRange(81, 86));
            value = tab.range;
            break;
        case 5:
            tab.processing =
                combo(box, f940 ? QStringLiteral("Combo25") : QStringLiteral("Combo15"),
                      captions({72, 73, 75, 77, 74}));
            value = tab.processing;
            break;
        case 6: {
            tab.distanceUnit = combo(
                box, f940 ? QStringLiteral("Combo26") : QStringLiteral("Combo16_0"), UnitWords);
            tab.depthUnit = combo(
                box, f940 ? QStringLiteral("Combo27") : QStringLiteral("Combo16_1"), UnitWords);
            auto* units = new QWidget(box);
            auto* row = new QHBoxLayout(units);
            row->setContentsMargins(0, 0, 0, 0);
            row->addWidget(new QLabel(caption(111), units));
            row->addWidget(tab.distanceUnit);
            row->addWidget(new QLabel(caption(112), units));
            row->addWidget(tab.depthUnit);
            value = tab.distanceUnit;
            value2 = tab.depthUnit;
            boxGrid->addWidget(units, 0, 0);
            break;
        }
        case 7:
            tab.magnification =
                combo(box, f940 ? QStringLiteral("Combo28") : QStringLiteral("Combo17"),
                      captions({87, 88}));
            value = tab.magnification;
            break;
        }
        if (k != 6)
            boxGrid->addWidget(value, 0, 0);
        if (k <= 6) {
            Choice& c = tab.frames[static_cast<size_t>(k)];
            c.options =
                optionGroup(box, QStringLiteral("Option%1").arg(optionBase + k), {use, keep});
            c.value = value;
            c.value2 = value2;
            connect(c.options, &QButtonGroup::idClicked, this, [c] { enableChoice(c); });
        }
        grid->addWidget(box, k / 2, k % 2);
    }
    // Either magnification list shows the same choice; one key serves both families.
    connect(tab.magnification, &QComboBox::currentIndexChanged, this, [this, f940](int i) {
        if (m_echo)
            return;
        m_echo = true;
        QComboBox* other = f940 ? m_730.magnification : m_940.magnification;
        if (other) {
            other->clear();
            other->addItems(captions({87, 88}));
            other->setCurrentIndex(i);
        }
        m_echo = false;
    });
    return page;
}

void frmDefaultSet::enableChoice(const Choice& c) {
    const bool use = c.options->checkedId() == 0;
    c.value->setEnabled(use);
    if (c.value2)
        c.value2->setEnabled(use);
}

// ---- Loading -----------------------------------------------------------------------------

void frmDefaultSet::loadSystemTab() {
    const Settings& s = program().settings;
    // The languages whose files are present.
    const QStringList files =
        QDir(systemDataDir() + QStringLiteral("/Laini")).entryList(QDir::Files, QDir::Name);
    for (const QString& f : files) {
        const QString code = f.left(f.size() - 4).toUpper();
        if (code == QLatin1String("JP"))
            m_language->addItem(QStringLiteral("Japanese"));
        else if (code == QLatin1String("EN"))
            m_language->addItem(QStringLiteral("English"));
    }
    const QString lang = s.Language.toUpper();
    m_language->setCurrentIndex(m_language->findText(
        lang == QLatin1String("JP") ? QStringLiteral("Japanese") : QStringLiteral("English")));
    const int16_t values[] = {
        s.AModePrint, s.MeasurementDatePrint, s.CrossCursorPrint, s.CreationDatePrint,
        s.SensPrint,  s.PrintingForm,         s.UseModelPrint};
    for (size_t i = 0; i < m_printOptions.size(); ++i)
        if (QAbstractButton* b = m_printOptions[i]->button(values[i]))
            b->setChecked(true);
}

void frmDefaultSet::loadFamilyTab(FamilyTab& tab) {
    const Settings& s = program().settings;
    const bool f940 = tab.family == 940;
    auto choose = [](Choice& c, bool keep) {
        c.options->button(keep ? 1 : 0)->setChecked(true);
        enableChoice(c);
    };
    // Permittivity: the flag 1 keeps the file's value; the box always shows the number.
    tab.permittivity->setText(
        QString::number(f940 ? s.RelativePermittivity940 : s.RelativePermittivity730));
    choose(tab.frames[0],
           (f940 ? s.RelativePermittivitySetting940 : s.RelativePermittivitySetting730) == 1);

    const int16_t gradation = f940 ? s.GradationSystem940 : s.GradationSystem730;
    tab.gradation->setCurrentIndex(gradation == -1 ? 0 : gradation);
    choose(tab.frames[1], gradation == -1);

    const int16_t direction = f940 ? s.Direction940 : s.Direction730;
    tab.direction->setCurrentIndex(direction == -1 ? 0 : (direction == 1 ? 0 : 1));
    choose(tab.frames[2], direction == -1);

    const int16_t sensitivity = f940 ? s.Sensitivity940 : s.Sensitivity730;
    tab.sensitivity->setCurrentIndex(sensitivity == -1 ? 2 : sensitivity);
    choose(tab.frames[3], sensitivity == -1);

    const int16_t range = f940 ? s.IndicationRange940 : s.IndicationRange730;
    tab.range->setCurrentIndex(range == -1 ? 0 : range);
    choose(tab.frames[4], range == -1);

    const int16_t proc = f940 ? s.PictureProc940 : s.PictureProc730;
    tab.processing->setCurrentIndex(proc == -1 ? 1 : (proc < 3 ? proc : proc - 1));
    choose(tab.frames[5], proc == -1);

    const int16_t unit = f940 ? s.Unit940 : s.Unit;
    tab.distanceUnit->setCurrentIndex(
        unit == -1 ? 2 : UnitWords.indexOf(f940 ? s.DistanceUnit940 : s.DistanceUnit));
    tab.depthUnit->setCurrentIndex(
        unit == -1 ? 1 : UnitWords.indexOf(f940 ? s.DepthUnit940 : s.DepthUnit));
    choose(tab.frames[6], unit == -1);

    m_echo = true;
    tab.magnification->setCurrentIndex(s.PuttingOnMagnification);
    m_echo = false;
}

// ---- OK and Cancel -----------------------------------------------------------------------

// Writes one key; the first failure is kept to be told when the dialog closes.
void frmDefaultSet::write(const char* section, const char* key, const QString& value) {
    QString error;
    if (!IniWrite(QLatin1String(section), QLatin1String(key), value, settingsFilePath(), &error) &&
        m_writeError.isEmpty())
        m_writeError = error;
}

// A failed write of Default.ini is told with MSG2 and the system's reason; the in-memory
// settings keep what was chosen for this run.
void frmDefaultSet::reportWriteFailure() {
    if (m_writeError.isEmpty())
        return;
    platform().messageBox(message(2) + QLatin1Char('\n') + m_writeError, QString(),
                          MsgIcon::Warning);
    m_writeError.clear();
}

void frmDefaultSet::writeTab() {
    program().settings.Tab = static_cast<int16_t>(m_tabs->currentIndex());
    write("Tab", "Tab", QString::number(m_tabs->currentIndex()));
}

bool frmDefaultSet::validPermittivity(const QLineEdit* box) {
    bool ok = false;
    const double v = box->text().trimmed().toDouble(&ok);
    if (!ok) {
        platform().messageBox(message(6), QString(), MsgIcon::Warning);
        return false;
    }
    if (v < 2 || v > 20) {
        platform().messageBox(message(6) + QStringLiteral(" ") + message(17), QString(),
                              MsgIcon::Warning);
        return false;
    }
    return true;
}

bool frmDefaultSet::Ok() {
    writeTab();
    if (!validPermittivity(m_730.permittivity) || !validPermittivity(m_940.permittivity)) {
        reportWriteFailure();
        return false;
    }
    Settings& s = program().settings;
    const QString chosen = m_language->currentText().toUpper();
    if (chosen == QLatin1String("JAPANESE"))
        s.Language = QStringLiteral("JP");
    else if (chosen == QLatin1String("ENGLISH"))
        s.Language = QStringLiteral("EN");
    write("Language", "Language", s.Language);

    struct PrintKey {
        const char* key;
        int16_t* field;
    };
    const PrintKey printKeys[] = {{"AModePrint", &s.AModePrint},
                                  {"MeasurementDatePrint", &s.MeasurementDatePrint},
                                  {"CrossCursorPrint", &s.CrossCursorPrint},
                                  {"CreationDatePrint", &s.CreationDatePrint},
                                  {"SensPrint", &s.SensPrint},
                                  {"PrintingForm", &s.PrintingForm},
                                  {"UseModelPrint", &s.UseModelPrint}};
    for (size_t i = 0; i < m_printOptions.size(); ++i) {
        *printKeys[i].field = static_cast<int16_t>(std::max(0, m_printOptions[i]->checkedId()));
        write("PrintProc", printKeys[i].key, QString::number(*printKeys[i].field));
    }
    // Each display default of the 730 family, then of the 940 family.
    for (int what = 0; what <= 5; ++what) {
        writeFamily(m_730, what);
        writeFamily(m_940, what);
    }
    s.PuttingOnMagnification = static_cast<int16_t>(m_730.magnification->currentIndex());
    write("PictureProc", "PuttingOnMagnification", QString::number(s.PuttingOnMagnification));
    writeFamily(m_730, 6);
    writeFamily(m_940, 6);
    reportWriteFailure();
    accept();
    return true;
}

// Writes one display default of a family: 0 permittivity, 1 gradation, 2 direction,
// 3 sensitivity, 4 view range, 5 processing, 6 units.
void frmDefaultSet::writeFamily(const FamilyTab& tab, int what) {
    Settings& s = program().settings;
    const bool f940 = tab.family == 940;
    const bool use = tab.frames[static_cast<size_t>(what)].options->checkedId() == 0;
    auto key = [f940](const char* stem) { return QByteArray(stem) + (f940 ? "940" : "730"); };
    auto store = [&](const char* stem, int16_t& field, int value) {
        field = static_cast<int16_t>(use ? value : -1);
        write("PictureProc", key(stem).constData(), QString::number(field));
    };
    switch (what) {
    case 0: {
        int16_t& flag = f940 ? s.RelativePermittivitySetting940 : s.RelativePermittivitySetting730;
        float& value = f940 ? s.RelativePermittivity940 : s.RelativePermittivity730;
        flag = use ? 0 : 1;
        value = tab.permittivity->text().trimmed().toFloat();
        write("PictureProc", key("RelativePermittivitySetting").constData(), QString::number(flag));
        write("PictureProc", key("RelativePermittivity").constData(), tab.permittivity->text());
        break;
    }
    case 1:
        store("GradationSystem", f940 ? s.GradationSystem940 : s.GradationSystem730,
              tab.gradation->currentIndex());
        break;
    case 2:
        store("Direction", f940 ? s.Direction940 : s.Direction730,
              tab.direction->currentIndex() == 0 ? 1 : 0);
        break;
    case 3:
        store("Sensitivity", f940 ? s.Sensitivity940 : s.Sensitivity730,
              tab.sensitivity->currentIndex());
        break;
    case 4:
        store("IndicationRange", f940 ? s.IndicationRange940 : s.IndicationRange730,
              tab.range->currentIndex());
        break;
    case 5: {
        const int p = tab.processing->currentIndex();
        store("PictureProc", f940 ? s.PictureProc940 : s.PictureProc730, p < 3 ? p : p + 1);
        break;
    }
    case 6: {
        int16_t& unit = f940 ? s.Unit940 : s.Unit;
        unit = use ? 0 : -1;
        write("PictureProc", f940 ? "Unit940" : "Unit", QString::number(unit));
        if (use) {
            QString& dist = f940 ? s.DistanceUnit940 : s.DistanceUnit;
            QString& depth = f940 ? s.DepthUnit940 : s.DepthUnit;
            dist = tab.distanceUnit->currentText();
            depth = tab.depthUnit->currentText();
            write("PictureProc", f940 ? "DistanceUnit940" : "DistanceUnit", dist);
            write("PictureProc", f940 ? "DepthUnit940" : "DepthUnit", depth);
        }
        break;
    }
    default:
        break;
    }
}

void frmDefaultSet::Cancel() {
    writeTab();
    reportWriteFailure();
    reject();
}

} // namespace rebar

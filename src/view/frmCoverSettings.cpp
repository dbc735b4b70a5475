#include "view/frmCoverSettings.h"

#include "base/Numeric.h"
#include "config/Program.h"
#include "view/CursorPosition.h"
#include "view/MeasurementDocument.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace rebar {

namespace {

constexpr int MsgCoverSettingInvalid = 44;
constexpr int FirstFieldCaption = 283;
constexpr int OkCaption = 287;
constexpr int TitleCaption = 282;

} // namespace

frmCoverSettings::frmCoverSettings(QWidget* parent, const QString& fileName,
                                   const ComplianceSettings& s)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmCoverSettings"));
    setWindowTitle(caption(TitleCaption) + QStringLiteral("  ") + fileName);
    auto* grid = new QGridLayout;
    const std::array<QString, 4> values = ComplianceTexts(s);
    for (size_t i = 0; i < m_boxes.size(); ++i) {
        auto* label = new QLabel(caption(FirstFieldCaption + static_cast<int>(i)), this);
        label->setObjectName(QStringLiteral("Label1_%1").arg(i));
        m_boxes[i] = new QLineEdit(values[i], this);
        m_boxes[i]->setObjectName(QStringLiteral("Text1_%1").arg(i));
        m_boxes[i]->setMaxLength(12);
        m_boxes[i]->setAlignment(Qt::AlignRight);
        label->setBuddy(m_boxes[i]);
        grid->addWidget(label, static_cast<int>(i), 0);
        grid->addWidget(m_boxes[i], static_cast<int>(i), 1);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (int i = 0; i < 2; ++i) {
        auto* b = new QPushButton(caption(OkCaption + i), this);
        b->setObjectName(QStringLiteral("Command1_%1").arg(i));
        b->setDefault(i == 0);
        connect(b, &QPushButton::clicked, this, [this, i] { press(i); });
        buttons->addWidget(b);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
}

std::array<QString, 4> frmCoverSettings::texts() const {
    std::array<QString, 4> out;
    for (size_t i = 0; i < m_boxes.size(); ++i)
        out[i] = m_boxes[i]->text();
    return out;
}

void frmCoverSettings::press(int button) {
    m_accepted = button == 0;
    if (m_accepted)
        accept();
    else
        reject();
}

QList<int> frmCoverSettings::dialogValues() const {
    QList<int> out;
    for (const QString& t : texts())
        out << static_cast<int>(roundHalfEven(t.toDouble() * 10));
    return out;
}

QStringList frmCoverSettings::dialogTexts() const {
    QStringList out;
    for (const QString& t : texts())
        out << t;
    return out;
}

void frmCoverSettings::setTexts(const QStringList& texts) {
    for (size_t i = 0; i < m_boxes.size() && static_cast<qsizetype>(i) < texts.size(); ++i)
        m_boxes[i]->setText(texts[static_cast<qsizetype>(i)]);
}

// Values are tenths of a millimetre, in the boxes' order; the values the boxes show already
// leave their texts as typed.
void frmCoverSettings::answer(int button, const QList<int>& values) {
    const QList<int> shown = dialogValues();
    for (size_t i = 0; i < m_boxes.size() && static_cast<qsizetype>(i) < values.size(); ++i) {
        const auto k = static_cast<qsizetype>(i);
        if (k >= shown.size() || values[k] != shown[k])
            m_boxes[i]->setText(FormatFixed(values[k] / 10.0, 1));
    }
    if (button >= 0)
        press(button);
    else
        reject();
}

CommandResult CoverSettingsCommand(MeasurementDocument& doc, Platform& ui, QWidget* parent) {
    frmCoverSettings dlg(parent, doc.record().FileName, doc.compliance());
    ui.runDialog(dlg);
    if (!dlg.accepted())
        return {};
    QString problem;
    const std::optional<ComplianceSettings> s =
        ParseComplianceTexts(dlg.texts(), doc.languageName(), &problem);
    if (!s) {
        CommandResult res;
        res.ok = false;
        res.warn(MsgCoverSettingInvalid, doc.record().FilePath, problem);
        return res;
    }
    return doc.SetCompliance(*s);
}

} // namespace rebar

#include "view/frmNote.h"

#include "config/Program.h"
#include "data/Notes.h"
#include "view/MeasurementDocument.h"

#include <QApplication>
#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace rebar {

frmNote::frmNote(QWidget* parent, const MeasurementRecord& rec) : QDialog(parent) {
    setObjectName(QStringLiteral("frmNote"));
    setWindowTitle(caption(250) + QStringLiteral("  ") + rec.FileName);
    auto* grid = new QGridLayout;
    for (size_t i = 0; i < m_labels.size(); ++i) {
        m_labels[i] = new QLabel(caption(131 + static_cast<int>(i)), this);
        m_labels[i]->setObjectName(QStringLiteral("Label%1").arg(i + 1));
    }
    for (size_t i = 0; i < m_comments.size(); ++i) {
        m_comments[i] = new QLineEdit(this);
        m_comments[i]->setObjectName(QStringLiteral("Text%1").arg(i + 2));
        m_comments[i]->setMinimumWidth(320);
        m_comments[i]->installEventFilter(this);
        // Pasted or composed text is cut to what the header field takes.
        QLineEdit* box = m_comments[i];
        const CommentField field = CommentFields()[i];
        connect(box, &QLineEdit::textChanged, this, [box, field](const QString& t) {
            const QString fitted = FitComment(t, field);
            if (fitted != t)
                box->setText(fitted);
        });
        grid->addWidget(m_labels[i], static_cast<int>(i), 0);
        grid->addWidget(m_comments[i], static_cast<int>(i), 1);
    }
    m_group = new QButtonGroup(this);
    auto* options = new QHBoxLayout;
    for (size_t i = 0; i < m_options.size(); ++i) {
        m_options[i] = new QRadioButton(caption(137 + static_cast<int>(i)), this);
        m_options[i]->setObjectName(QStringLiteral("Option1_%1").arg(i));
        m_group->addButton(m_options[i], static_cast<int>(i));
        options->addWidget(m_options[i]);
    }
    options->addStretch();
    grid->addWidget(m_labels[4], 4, 0);
    grid->addLayout(options, 4, 1);
    m_text1 = new QPlainTextEdit(this);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->setMinimumHeight(120);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (int i = 0; i < 2; ++i) {
        auto* b = new QPushButton(caption(142 + i), this);
        b->setObjectName(QStringLiteral("Command1_%1").arg(i));
        connect(b, &QPushButton::clicked, this, [this, i] { press(i); });
        buttons->addWidget(b);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(m_labels[5]);
    layout->addWidget(m_text1);
    layout->addLayout(buttons);

    // The record's texts: the note, or the comments up to their first NUL and the direction.
    if (rec.FileKind == KindText730 || rec.FileKind == KindRdd) {
        m_text1->setPlainText(
            QString(rec.Note).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    } else if (rec.FileKind == KindZvx4) {
        const Comments c = CommentsOf(rec);
        for (size_t i = 0; i < 4; ++i)
            m_comments[i]->setText(c.texts[i]);
        // A stored direction without an option selects none (and a save keeps it).
        if (c.direction >= 0 && c.direction <= 4)
            m_options[static_cast<size_t>(c.direction)]->setChecked(true);
    }
    SetfrmID(rec.FileKind);
}

void frmNote::SetfrmID(int kind) {
    m_kind = kind;
    bool note;
    if (kind == KindText730 || kind == KindRdd)
        note = true;
    else if (kind == KindZvx4)
        note = false;
    else
        return;
    m_labels[5]->setEnabled(note);
    m_text1->setEnabled(note);
    for (size_t i = 0; i < 5; ++i) {
        m_labels[i]->setEnabled(!note);
        m_options[i]->setEnabled(!note);
    }
    for (QLineEdit* e : m_comments)
        e->setEnabled(!note);
}

QString frmNote::note() const {
    return m_text1->toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}

std::array<QString, 4> frmNote::comments() const {
    std::array<QString, 4> out;
    for (size_t i = 0; i < 4; ++i)
        out[i] = m_comments[i]->text();
    return out;
}

int frmNote::direction() const {
    return m_group->checkedId();
}

QStringList frmNote::dialogTexts() const {
    QStringList t{m_text1->toPlainText()};
    for (const QLineEdit* e : m_comments)
        t << e->text();
    return t;
}

void frmNote::setTexts(const QStringList& texts) {
    if (!texts.isEmpty() && m_text1->isEnabled())
        m_text1->setPlainText(texts[0]);
    for (size_t i = 0; i < 4; ++i)
        if (texts.size() > static_cast<qsizetype>(i + 1) && m_comments[i]->isEnabled())
            m_comments[i]->setText(texts[static_cast<qsizetype>(i + 1)]);
}

void frmNote::press(int button) {
    m_saved = button == 0;
    if (m_saved)
        accept();
    else
        reject();
}

void frmNote::answer(int button, const QList<int>& values) {
    if (!values.isEmpty() && values[0] >= 0 && values[0] <= 4 && m_options[0]->isEnabled())
        m_options[static_cast<size_t>(values[0])]->setChecked(true);
    if (button >= 0)
        press(button);
    else
        reject();
}

// The typing limit of the comment boxes: a key that would take a box past its limit beeps and
// is dropped; backspace always passes.
bool frmNote::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, e);
    for (size_t i = 0; i < m_comments.size(); ++i) {
        if (watched != m_comments[i])
            continue;
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_Backspace || k->text().isEmpty() || !k->text()[0].isPrint())
            break;
        const QLineEdit* box = m_comments[i];
        if (!CommentKeyAccepted(box->text(), static_cast<int>(box->selectedText().size()),
                                CommentFields()[i])) {
            QApplication::beep();
            return true;
        }
    }
    return QDialog::eventFilter(watched, e);
}

std::optional<CommandResult> frmNote::Edit(QWidget* parent, MeasurementDocument& doc) {
    frmNote dlg(parent, doc.record());
    platform().runDialog(dlg);
    if (!dlg.saved())
        return std::nullopt;
    const int k = dlg.fileKind();
    if (k == KindText730 || k == KindRdd)
        return doc.SetNote(dlg.note());
    if (k == KindZvx4)
        return doc.SetComment(dlg.comments(), dlg.direction());
    return std::nullopt;
}

} // namespace rebar

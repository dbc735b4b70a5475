// The commands of a view's menu bar that belong to the window: file, window and help items.

#include "app/FrmMDI.h"
#include "config/Program.h"
#include "data/RecordWriters.h"
#include "view/FrmMain.h"

#include "data/FileOpen.h"
#include "platform/Platform.h"
#include <QDir>
#include <QFileInfo>

#include <QAction>
#include <QApplication>
#include <QMdiSubWindow>
#include <QMenu>

namespace rebar {

// ---- Saving -------------------------------------------------------------------------------

namespace {
// MSG2 and, on a line of its own, why the file was not written.
void showSaveFailure(const WriteResult& res, const QString& title) {
    platform().messageBox(message(2) + QLatin1Char('\n') +
                              FailureLine(res, program().settings.Language),
                          title, MsgIcon::Warning);
}
} // namespace

WriteResult FrmMain::WriteRecord(const QString& path) {
    return m_rec.is940() ? WriteZvx(m_rec, path) : WriteRdd(m_rec, path);
}

void FrmMain::SaveCommand() {
    const int k = m_rec.FileKind;
    if (k != KindRdd && k != KindZvx3 && k != KindZvx4)
        return;
    if (const WriteResult res = WriteRecord(m_rec.FilePath); res) {
        platform().messageBox(message(3), m_rec.FilePath, MsgIcon::Information);
        m_rec.Modified = 0;
    } else {
        showSaveFailure(res, m_rec.FilePath);
    }
}

int FrmMain::SaveAsCommand(bool quiet) {
    const bool f940 = m_rec.is940();
    const QString ext = f940 ? QStringLiteral("ZVX") : QStringLiteral("RDD");
    QString proposal = m_rec.FileName;
    if (proposal.right(4).toUpper() != QLatin1Char('.') + ext)
        proposal += QLatin1Char('.') + ext;
    const QString dir = QFileInfo(m_rec.FilePath).absolutePath();
    const QString title =
        QStringLiteral("Save") + QString::fromUtf8("【") + m_rec.FileName + QString::fromUtf8("】");
    const auto chosen = platform().chooseSaveFile(title, {{ext, QStringLiteral("*.") + ext}},
                                                  QDir(dir).filePath(proposal), ext);
    if (!chosen)
        return 2;
    if (const WriteResult res = WriteRecord(*chosen); !res) {
        showSaveFailure(res, m_rec.FilePath);
        return 1;
    }
    SetRecordPath(m_rec, *chosen);
    UpdateWindowCaption();
    menuItem(QStringLiteral("menu2"), 2)->setEnabled(true);
    if (!quiet)
        platform().messageBox(message(3), m_rec.FilePath, MsgIcon::Information);
    m_rec.Modified = 0;
    return 0;
}

// The Yes answer of the close question. A save that fails or is cancelled keeps the view open,
// so the changes are never thrown away without the user's say.
bool FrmMain::SaveBeforeClose() {
    const int k = m_rec.FileKind;
    if (k == KindText730 || k == KindVxd)
        return SaveAsCommand(false) == 0;
    const WriteResult res = WriteRecord(m_rec.FilePath);
    if (res) {
        m_rec.Modified = 0;
        return true;
    }
    showSaveFailure(res, m_rec.FilePath);
    return false;
}

void FrmMain::connectMenus() {
    auto on = [this](const QString& array, int index, auto fn) {
        if (QAction* a = menuItem(array, index))
            connect(a, &QAction::triggered, this, fn);
    };
    on(QStringLiteral("menu2"), 1, [this] {
        if (m_mdi)
            m_mdi->OpenCommand();
    });
    on(QStringLiteral("menu2"), 2, [this] { SaveCommand(); });
    on(QStringLiteral("menu2"), 3, [this] { SaveAsCommand(false); });
    on(QStringLiteral("menu2"), 8, [this] {
        if (m_sub)
            m_sub->close();
        else
            close();
    });
    on(QStringLiteral("menu2"), 10, [this] {
        // Exit: every view in slot order asks about its changes; a view the user keeps
        // open keeps the program running, so no unsaved work is thrown away.
        if (m_mdi && m_mdi->CloseAllViews())
            m_mdi->close();
    });
    on(QStringLiteral("Menu8"), 0, [this] {
        if (m_mdi)
            m_mdi->Cascade();
    });
    on(QStringLiteral("Menu8"), 1, [this] {
        if (m_mdi)
            m_mdi->TileHorizontally();
    });
    if (QAction* sync = menuItem(QStringLiteral("Menu8"), 2)) {
        // The check mark is set for all views at once; undo Qt's own toggle of this item.
        connect(sync, &QAction::triggered, this, [this, sync](bool nowChecked) {
            const bool wasChecked = !nowChecked;
            sync->setChecked(wasChecked);
            if (m_mdi)
                m_mdi->ToggleSynchronise(wasChecked);
            else
                sync->setChecked(!wasChecked);
        });
    }
    on(QStringLiteral("Menu9"), 0, [this] {
        if (m_mdi)
            m_mdi->ShowAbout();
    });
    on(QStringLiteral("Menu9"), 1, [this] {
        if (m_mdi)
            m_mdi->OpenHomepage();
    });
    on(QStringLiteral("Menu7"), 0, [this] {
        if (m_mdi)
            m_mdi->ShowInitialSettings();
    });
}

} // namespace rebar

// Cursor readouts, A-mode trace and marker list of a view.

#include "config/Program.h"
#include "platform/Platform.h"
#include "view/FrmMain.h"

#include <QListWidget>

namespace rebar {

void FrmMain::UpdateReadouts() {
    if (m_rec.Loaded != FlagTrue)
        return;
}

bool FrmMain::RebuildMarkerList() { return true; }

bool FrmMain::SaveBeforeClose() {
    platform().messageBox(message(2), m_rec.FilePath, MsgIcon::Warning);
    return false;
}

} // namespace rebar

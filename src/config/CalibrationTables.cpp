// PLACEHOLDER: the loader is being written; this keeps the build going.
#include "config/CalibrationTables.h"

namespace rebar {
bool LoadCalibrationTables(CalibrationTables&, const QString&, QString* error) {
    if (error)
        *error = QStringLiteral("not built yet");
    return false;
}
} // namespace rebar

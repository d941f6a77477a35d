// Temporary files that exports and replies leave for other applications to
// open ("tovoGrid….html", "tovoRes….png"): the one place they are created.
#pragma once

#include <QString>

#include <functional>

class PrivateTempFolder;
class QIODevice;

namespace ResultTempFile {

// A new file "<prefix>XXXXXX.<suffix>" in the process's private temporary
// folder, filled by write. Returns its path; on any failure an empty text and
// no file is left.
QString write(PrivateTempFolder& folder, const QString& prefix, const QString& suffix,
              const std::function<bool(QIODevice&)>& write);

} // namespace ResultTempFile

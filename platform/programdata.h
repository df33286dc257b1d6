// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace nomix {

// A file of the running program's data folder (see datafolder.h), e.g.
// "help/NOMIX95.html"; with an empty path, the folder itself.
QString programDataPath(const QString& relativePath = QString());

} // namespace nomix

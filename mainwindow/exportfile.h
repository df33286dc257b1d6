// SPDX-License-Identifier: MIT
#pragma once

#include "core/resultwriter.h"

#include <QString>

#include <optional>

class QWidget;

namespace nomix {

// A file to export to and the format it is written in.
struct ExportFile {
    QString fileName;
    ResultFormat format;
};

// Asks where to export, starting in `directory` under the filter last chosen
// (`filter`, which receives the new choice). A bare name takes the chosen
// filter's extension; an extension no format owns is asked about rather than
// written as something the user did not choose. None when the user cancels.
std::optional<ExportFile> chooseExportFile(QWidget* window, const QString& caption,
                                           const QString& directory, QString* filter);

} // namespace nomix

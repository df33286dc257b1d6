// SPDX-License-Identifier: MIT
#include "fittext.h"

#include <QFontMetrics>

namespace nomix {

QString fitText(const QString& text, int width, const QFontMetrics& metrics) {
    if (width <= 0) {
        return QString();
    }
    if (metrics.horizontalAdvance(text) < width) {
        return text;
    }
    static const QString kEllipsis = QStringLiteral("...");
    QString result = text.left(qMax(0, text.size() - 4)) + kEllipsis;
    while (result.size() > kEllipsis.size() && metrics.horizontalAdvance(result) >= width) {
        result.remove(result.size() - kEllipsis.size() - 1, 1);
    }
    return result;
}

} // namespace nomix

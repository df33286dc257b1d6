// SPDX-License-Identifier: MIT
#include "searchlineedit.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>

namespace nomix {

SearchLineEdit::SearchLineEdit(QWidget* parent) : QLineEdit(parent) {
    setObjectName(QStringLiteral("searchLineEdit"));
}

QString SearchLineEdit::withoutOuterLineBreaks(const QString& text) {
    auto isBreak = [](QChar c) { return c == QLatin1Char('\n') || c == QLatin1Char('\r'); };
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBreak(text.at(begin))) {
        ++begin;
    }
    while (end > begin && isBreak(text.at(end - 1))) {
        --end;
    }
    return text.mid(begin, end - begin);
}

void SearchLineEdit::pasteFrom(QClipboard::Mode mode) {
    if (isReadOnly()) {
        return;
    }
    const QString text = withoutOuterLineBreaks(QApplication::clipboard()->text(mode));
    if (!text.isEmpty() || hasSelectedText()) {
        insert(text);
    }
}

void SearchLineEdit::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Paste)) {
        pasteFrom(QClipboard::Clipboard);
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

// The X selection, pasted with the middle button where the desktop has one.
void SearchLineEdit::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton && QApplication::clipboard()->supportsSelection() &&
        !isReadOnly()) {
        deselect();
        pasteFrom(QClipboard::Selection);
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void SearchLineEdit::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    if (auto* paste = menu->findChild<QAction*>(QStringLiteral("edit-paste"))) {
        disconnect(paste, &QAction::triggered, nullptr, nullptr);
        connect(paste, &QAction::triggered, this, [this] { pasteFrom(QClipboard::Clipboard); });
    }
    menu->popup(event->globalPos());
}

} // namespace nomix

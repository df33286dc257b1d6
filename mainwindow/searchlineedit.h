// SPDX-License-Identifier: MIT
#pragma once

#include <QClipboard>
#include <QLineEdit>

namespace nomix {

// The search box's line edit. A name copied from a terminal or from a grid
// row comes with a line break at its end, which a one-line box would keep
// as part of the search string; pasted text loses the line breaks at both of
// its ends, whether it comes by keyboard, middle button or local menu.
class SearchLineEdit : public QLineEdit {
    Q_OBJECT

  public:
    explicit SearchLineEdit(QWidget* parent = nullptr);

    static QString withoutOuterLineBreaks(const QString& text);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    void pasteFrom(QClipboard::Mode mode);
};

} // namespace nomix

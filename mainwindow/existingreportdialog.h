// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>

class QFrame;
class QPushButton;

namespace nomix {

// Asks what to do with a report file that already exists, so that a save
// never replaces or extends a file without the user's word. Created, shown
// modally and destroyed for each save into an existing file; costs a small
// window and a 32 x 32 picture while it is open.
class ExistingReportDialog : public QDialog {
    Q_OBJECT

  public:
    // What exec() returns: the user's choice, or Cancel for the Cancel
    // button, Esc and the system menu's Close.
    enum class Choice { Cancel = 2, Append = 10, Overwrite = 11 };

    explicit ExistingReportDialog(QWidget* parent = nullptr);

    void reject() override;

  private:
    QFrame* createMessagePanel();
    QPushButton* createChoiceButton(const char* name, const QString& caption, const QString& hint,
                                    Choice choice);
};

} // namespace nomix

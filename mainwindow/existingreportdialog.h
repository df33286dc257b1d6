#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace nomix {

// Asks what to do with a report file that already exists, so that a save
// never replaces or extends a file without the user's word. Created, shown
// modally and destroyed for each save into an existing file; costs a small
// window and a 32 x 32 picture while it is open.
class ExistingReportDialog : public QDialog {
    Q_OBJECT

  public:
    // The dialog's results: the user's choice, or mrCancel for Cancel, Esc
    // and the system menu's Close.
    enum ModalResult { mrCancel = 2, mrAppend = 10, mrOverwrite = 11 };

    explicit ExistingReportDialog(QWidget* parent = nullptr);

    void reject() override;

  private:
    QFrame* createTopPanel();
    QPushButton* createButton(const char* name, const QString& caption, const QString& hint,
                              int result);

    QFrame* TopPanel;
    QLabel* WarningImage;
    QLabel* MessageLabel;
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* Button3;
};

} // namespace nomix

#pragma once

#include <QDialog>

#include <array>
#include <optional>

class QCheckBox;
class QFrame;
class QGroupBox;
class QPushButton;
class QTabWidget;
class ContextHelpMenu;

// "Options": its eleven check boxes are the program's option flags, the only
// copy of them, read by every part at the moment it needs an option. It is
// created once at start-up and hidden between showings. Five boxes act at
// once through OptionsChanged; Cancel puts all eleven back through the same
// notifications. Costs one small window for the whole run.
class OptionsDialog : public QDialog {
    Q_OBJECT

  public:
    explicit OptionsDialog(QWidget* parent = nullptr);

    // True once the user confirmed "Cl&ear string history" in this showing.
    bool eraseRequested() const { return eraseRequested_; }

    // Display preferences
    QCheckBox* ResultCheck;
    QCheckBox* BitmapCheck;
    QCheckBox* CounterCheck;
    QCheckBox* BackgroundCheck;
    QCheckBox* ProductCheck;
    // Environment preferences
    QCheckBox* CheckAlarm;
    QCheckBox* CheckSounds;
    QCheckBox* CheckSelProds;
    QCheckBox* SaveSelCheck;
    QCheckBox* MinimizeCheck;
    // Search preferences
    QCheckBox* MatchCheck;

    QFrame* Panel1;
    QTabWidget* PageControl;
    QWidget* PrefSheet;
    QGroupBox* GroupBox1;
    QGroupBox* GroupBox2;
    QGroupBox* GroupBox3;
    QPushButton* EraseHistoryBtn;
    QPushButton* OkButton;
    QPushButton* CancelButton;
    QPushButton* HelpButton;

  signals:
    // Sent synchronously with one of the codes of optionschanged.h; connect
    // it with Qt::DirectConnection so the reaction is done before the dialog
    // goes on.
    void OptionsChanged(int code);

  protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

  private:
    static constexpr size_t kBoxCount = 11;
    using BoxStates = std::array<bool, kBoxCount>;

    QCheckBox* addCheckBox(QWidget* group, const char* name, const QString& caption,
                           const QString& hint, int helpContext, bool designState);
    QPushButton* addButton(const char* name, const QString& caption, const QString& hint,
                           int helpContext);
    void buildDisplayGroup();
    void buildEnvironmentGroup();
    void buildSearchGroup();
    void alignRightColumns();
    void buildPage();
    void buildButtons();
    void connectNotifications();
    void notifyOnToggle(QCheckBox* box, int code);

    // The boxes in the order in which the snapshot is taken and restored.
    std::array<QCheckBox*, kBoxCount> snapshotOrder() const;
    BoxStates currentStates() const;

    void FormActivate();
    void EraseHistoryBtnClick();
    void CancelButtonClick();
    void FormCloseQuery();
    void HelpButtonClick();

    ContextHelpMenu* helpPopup_;
    std::optional<BoxStates> snapshot_;
    bool eraseRequested_ = false;
};

#pragma once

#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QStringList>
#include <QTest>
#include <QTimer>

// Answers the modal dialogs that open while it lives, as a user would: the
// expected one by clicking the named button, or by closing it from the
// system menu when no button is named; any other is rejected and recorded.
// It polls from a timer inside the dialog's own event loop, so a dialog that
// should not be there fails the test instead of hanging it.
class ModalDriver {
  public:
    // Without a name, every modal dialog is unexpected.
    explicit ModalDriver(QString expectedName = {}, QString buttonName = {})
        : expectedName_(std::move(expectedName)), buttonName_(std::move(buttonName)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start(5);
    }

    int answered() const { return answered_; }
    const QStringList& unexpected() const { return unexpected_; }

  private:
    void poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible()) {
            return;
        }
        if (modal->objectName() != expectedName_ || answered_ > 0) {
            unexpected_ << modal->objectName();
            if (auto* dialog = qobject_cast<QDialog*>(modal)) {
                dialog->reject();
            } else {
                modal->close();
            }
            return;
        }
        ++answered_;
        if (buttonName_.isEmpty()) {
            modal->close();
            return;
        }
        auto* button = modal->findChild<QPushButton*>(buttonName_);
        if (!button) {
            unexpected_ << QStringLiteral("no button ") + buttonName_;
            modal->close();
            return;
        }
        QTest::mouseClick(button, Qt::LeftButton);
    }

    QString expectedName_;
    QString buttonName_;
    QTimer timer_;
    int answered_ = 0;
    QStringList unexpected_;
};

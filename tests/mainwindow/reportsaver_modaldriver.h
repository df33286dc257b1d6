// SPDX-License-Identifier: MIT
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
        : m_expectedName(std::move(expectedName)), m_buttonName(std::move(buttonName)) {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
        m_timer.start(5);
    }

    int answered() const { return m_answered; }
    const QStringList& unexpected() const { return m_unexpected; }

  private:
    void poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible()) {
            return;
        }
        if (modal->objectName() != m_expectedName || m_answered > 0) {
            m_unexpected << modal->objectName();
            if (auto* dialog = qobject_cast<QDialog*>(modal)) {
                dialog->reject();
            } else {
                modal->close();
            }
            return;
        }
        ++m_answered;
        if (m_buttonName.isEmpty()) {
            modal->close();
            return;
        }
        auto* button = modal->findChild<QPushButton*>(m_buttonName);
        if (!button) {
            m_unexpected << QStringLiteral("no button ") + m_buttonName;
            modal->close();
            return;
        }
        QTest::mouseClick(button, Qt::LeftButton);
    }

    QString m_expectedName;
    QString m_buttonName;
    QTimer m_timer;
    int m_answered = 0;
    QStringList m_unexpected;
};

// SPDX-License-Identifier: MIT
#include "shared_userinput.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QTest>
#include <QTimer>
#include <QWidget>

namespace userinput {

QWidget* focusTarget() {
    if (QWidget* focus = QApplication::focusWidget()) {
        return focus;
    }
    return QApplication::activeWindow();
}

void pressKey(Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QWidget* target = focusTarget();
    QVERIFY2(target, "no window has the keyboard");
    QTest::keyClick(target, key, modifiers);
}

void typeText(const QString& text) {
    QWidget* target = focusTarget();
    QVERIFY2(target, "no window has the keyboard");
    QTest::keyClicks(target, text);
}

void clickAt(QWidget* widget, QPoint position) {
    QVERIFY(widget);
    if (position == QPoint(-1, -1)) {
        position = widget->rect().center();
    }
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, position);
}

void openContextMenu(QWidget* widget, QPoint position) {
    QVERIFY(widget);
    QContextMenuEvent event(QContextMenuEvent::Mouse, position, widget->mapToGlobal(position));
    QApplication::sendEvent(widget, &event);
}

void chooseInPopup(Qt::Key accelerator) {
    QWidget* popup = QApplication::activePopupWidget();
    QVERIFY2(popup, "no menu is open");
    QTest::keyClick(popup, accelerator);
}

void whenModalShows(std::function<void(QWidget* modal)> answer) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, answer] {
        // Keys go to the focus widget: answer once the dialog has the focus,
        // not merely when it shows (a slow machine shows it first).
        QWidget* modal = QApplication::activeModalWidget();
        const QWidget* focus = QApplication::focusWidget();
        if (modal && modal->isVisible() && focus && focus->window() == modal) {
            timer->stop();
            timer->deleteLater();
            answer(modal);
        }
    });
    timer->start();
}

} // namespace userinput

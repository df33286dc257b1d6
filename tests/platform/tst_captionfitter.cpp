// SPDX-License-Identifier: MIT
#include "platform/captionfitter.h"

#include <QDialog>
#include <QInputDialog>
#include <QProgressDialog>
#include <QTest>

#include <memory>

using nomix::CaptionFitter;

class TestCaptionFitter : public QObject {
    Q_OBJECT

  private slots:
    void dialogsGetRoomForTheirCaptions_data();
    void dialogsGetRoomForTheirCaptions();
};

void TestCaptionFitter::dialogsGetRoomForTheirCaptions_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("widened");
    QTest::newRow("progress window") << "progress" << true;
    QTest::newRow("input dialog") << "input" << true;
    QTest::newRow("fixed size") << "fixed" << false;
    QTest::newRow("short caption") << "short" << false;
}

// The windows a window manager showed as "Impor… eports" and "Set wi… e grid".
void TestCaptionFitter::dialogsGetRoomForTheirCaptions() {
    QFETCH(QString, kind);
    QFETCH(bool, widened);
    CaptionFitter fitter;
    QWidget owner;
    owner.setGeometry(100, 100, 800, 600);
    owner.show();
    std::unique_ptr<QDialog> dialog;
    if (kind == "progress") {
        dialog = std::make_unique<QProgressDialog>(QStringLiteral("Importing scan reports..."),
                                                   QStringLiteral("Cancel"), 0, 10, &owner);
        dialog->setWindowTitle(QStringLiteral("Import scan reports"));
        dialog->adjustSize();
    } else if (kind == "input") {
        auto input = std::make_unique<QInputDialog>(&owner);
        input->setLabelText(QStringLiteral("Insert a value"));
        dialog = std::move(input);
        dialog->setWindowTitle(QStringLiteral("Set width of columns within the grid"));
        dialog->adjustSize();
    } else {
        dialog = std::make_unique<QDialog>(&owner);
        dialog->setWindowTitle(kind == "fixed"
                                   ? QStringLiteral("Set width of columns within the grid")
                                   : QStringLiteral("Error"));
        dialog->resize(200, 80);
        if (kind == "fixed") {
            dialog->setFixedSize(120, 80);
        }
    }
    const int before = dialog->width();
    const int needed = CaptionFitter::neededWidth(dialog->windowTitle());
    QVERIFY(!widened || before < needed);
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    QCOMPARE(dialog->width(), widened ? needed : before);
    // Still centred over its owner.
    if (widened) {
        QVERIFY(qAbs(dialog->geometry().center().x() - owner.geometry().center().x()) <= 2);
    }
}

QTEST_MAIN(TestCaptionFitter)
#include "tst_captionfitter.moc"

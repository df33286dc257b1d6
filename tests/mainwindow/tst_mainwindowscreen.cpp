// SPDX-License-Identifier: MIT
#include "shared_mainwindowfixture.h"

#include "mainwindow/mainwindow.h"
#include "mainwindow/resultsview.h"
#include "mainwindow/searchcontroller.h"
#include "platform/messagebox.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QScreen>
#include <QTabWidget>
#include <QTest>

using namespace nomix;

// The main window on a real X server after a search, as a user sees it.
// The picture is kept in /tmp for a look by eye; the checks read pixels
// that say the grid drew what it should.
class TestMainWindowScreen : public QObject {
    Q_OBJECT

  private slots:
    void searchResultsOnScreen();
};

void TestMainWindowScreen::searchResultsOnScreen() {
    MainWindowFixture fixture;
    QVERIFY(fixture.isValid());
    fixture.writeSettings(fixture.dataDir());
    MessageBox::setAutoAnswer(true);
    MainWindow form;
    form.start();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto* searchBox = form.findChild<QComboBox*>(QStringLiteral("searchBox"));
    searchBox->setEditText(QStringLiteral("zbot"));
    QTest::keyClick(searchBox, Qt::Key_Return);
    QVERIFY(form.findChild<SearchController*>()->hitCount() > 0);
    QTest::qWait(50); // let the grid paint its rows once
    const QImage shot = form.grab().toImage();
    shot.save(QStringLiteral("/tmp/mainform.png"));

    // A selected product's title cell is red.
    const QPoint header =
        form.findChild<ResultsView*>()->horizontalHeader()->mapTo(&form, QPoint(100, 10));
    QCOMPARE(shot.pixelColor(header), QColor(255, 0, 0));
    // The first result row holds dark text pixels somewhere in its first cell.
    const QPoint cellTopLeft =
        form.findChild<ResultsView*>()->viewport()->mapTo(&form, QPoint(0, 0));
    bool ink = false;
    for (int x = 2; x < 190 && !ink; ++x) {
        for (int y = 2; y < 18 && !ink; ++y) {
            ink = shot.pixelColor(cellTopLeft + QPoint(x, y)).lightness() < 80;
        }
    }
    QVERIFY(ink);

    // The Preferences page, for a look by eye.
    form.findChild<QTabWidget*>(QStringLiteral("pages"))->setCurrentIndex(1);
    QTest::qWait(20);
    form.grab().save(QStringLiteral("/tmp/preferences.png"));
}

QTEST_MAIN(TestMainWindowScreen)
#include "tst_mainwindowscreen.moc"

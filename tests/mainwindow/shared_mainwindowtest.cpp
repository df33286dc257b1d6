// SPDX-License-Identifier: MIT
#include "shared_mainwindowtest.h"

#include "shared_userinput.h"

#include "controls/ledcounter.h"
#include "mainwindow/resultsmodel.h"
#include "mainwindow/resultsview.h"
#include "mainwindow/searchcontroller.h"
#include "platform/messagebox.h"
#include "platform/settings.h"

#include <QTest>

using namespace nomix;
using namespace userinput;

void MainWindowTest::startFixture() {
    fixture_ = std::make_unique<MainWindowFixture>();
    QVERIFY(fixture_->isValid());
}

void MainWindowTest::startWithSampleDatabase() {
    MessageBox::clearShown();
    MessageBox::setAutoAnswer(true);
    fixture_->writeSettings(fixture_->dataDir());
    startForm();
    QVERIFY(databaseLoaded());
}

void MainWindowTest::startForm() {
    form_ = std::make_unique<MainWindow>();
    form_->start();
    form_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
}

SearchController* MainWindowTest::controller() const {
    return find<SearchController>("searchController");
}

int MainWindowTest::hitCount() const {
    return controller()->hitCount();
}

ResultsView* MainWindowTest::grid() const {
    return find<ResultsView>("resultsView");
}

ResultsModel* MainWindowTest::results() const {
    return grid()->resultsModel();
}

Settings* MainWindowTest::settings() const {
    return form_->findChild<Settings*>();
}

bool MainWindowTest::databaseLoaded() const {
    return results()->databaseLoaded();
}

QString MainWindowTest::ledText() const {
    return find<LedCounter>("itemsCounter")->text();
}

int MainWindowTest::colWidth(int column) const {
    return grid()->isColumnHidden(column) ? -1 : grid()->columnWidth(column);
}

void MainWindowTest::closeWindow() {
    form_.reset();
    MessageBox::presetAnswers({});
}

// Alt+E, the label's accelerator, puts the keyboard in the search box.
void MainWindowTest::search(const QString& text) {
    pressKey(Qt::Key_E, Qt::AltModifier);
    QCOMPARE(focusTarget(), find<QWidget>("searchBox"));
    pressKey(Qt::Key_A, Qt::ControlModifier);
    pressKey(Qt::Key_Delete);
    typeText(text);
    pressKey(Qt::Key_Return);
}

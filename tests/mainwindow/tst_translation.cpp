// SPDX-License-Identifier: MIT
// The window's texts in the user's language when a translation for it is
// there, and the English of the code when none is.

#include "shared_mainwindowfixture.h"

#include "mainwindow/mainwindow.h"
#include "platform/messagebox.h"
#include "platform/programtranslations.h"

#include <QLocale>
#include <QMenu>
#include <QTabWidget>
#include <QTest>

using namespace nomix;

class TestTranslation : public QObject {
    Q_OBJECT

  private slots:
    void windowTexts_data();
    void windowTexts();
};

void TestTranslation::windowTexts_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("fileMenu");
    QTest::addColumn<QString>("helpMenu");
    QTest::addColumn<QString>("searchTab");
    QTest::newRow("translated") << QLocale(QLocale::Latin) << true << "&Tabularium"
                                << "&Auxilium"
                                << "Quaestio";
    QTest::newRow("language without a translation")
        << QLocale(QLocale::German, QLocale::Germany) << false << "&File"
        << "&Help"
        << "Search";
    QTest::newRow("English") << QLocale(QLocale::English, QLocale::UnitedStates) << false << "&File"
                             << "&Help"
                             << "Search";
}

void TestTranslation::windowTexts() {
    QFETCH(QLocale, locale);
    QFETCH(bool, found);
    QFETCH(QString, fileMenu);
    QFETCH(QString, helpMenu);
    QFETCH(QString, searchTab);
    MainWindowFixture fixture;
    QVERIFY(fixture.isValid());
    fixture.writeSettings(fixture.dataDir());
    MessageBox::setAutoAnswer(true);

    ProgramTranslations translations;
    QCOMPARE(translations.install(locale, QStringLiteral(NOMIX_TEST_TRANSLATIONS_DIR)), found);
    MainWindow form;
    QCOMPARE(form.findChild<QMenu*>(QStringLiteral("fileMenu"))->title(), fileMenu);
    QCOMPARE(form.findChild<QMenu*>(QStringLiteral("helpMenu"))->title(), helpMenu);
    QCOMPARE(form.findChild<QTabWidget*>(QStringLiteral("pages"))->tabText(0), searchTab);
}

QTEST_MAIN(TestTranslation)
#include "tst_translation.moc"

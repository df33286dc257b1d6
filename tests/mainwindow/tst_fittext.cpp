// SPDX-License-Identifier: MIT
#include "mainwindow/fittext.h"
#include "mainwindow/resultsdelegate.h"

#include <QFontMetrics>
#include <QTest>

using namespace nomix;

class TestFitText : public QObject {
    Q_OBJECT

  private slots:
    void fitting_data();
    void fitting();
    void exactWidthIsCut();
    void markers_data();
    void markers();
};

void TestFitText::fitting_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("extra"); // width relative to the text's own width
    QTest::addColumn<bool>("unchanged");
    QTest::newRow("wider than the text") << "Trojan.Win32.Agent" << 1 << true;
    QTest::newRow("narrower") << "Trojan.Win32.Agent" << -10 << false;
    QTest::newRow("much narrower") << "Trojan.Win32.Agent" << -100 << false;
}

void TestFitText::fitting() {
    QFETCH(QString, text);
    QFETCH(int, extra);
    QFETCH(bool, unchanged);
    const QFontMetrics metrics(QFont(QStringLiteral("Arial")));
    const int width = metrics.horizontalAdvance(text) + extra;
    const QString fitted = fitText(text, width, metrics);
    if (unchanged) {
        QCOMPARE(fitted, text);
        return;
    }
    QVERIFY(fitted.endsWith(QLatin1String("...")));
    QVERIFY(fitted.size() >= 3);
    QVERIFY(fitted == QLatin1String("...") || metrics.horizontalAdvance(fitted) < width);
    QVERIFY(text.startsWith(fitted.left(fitted.size() - 3)));
}

void TestFitText::exactWidthIsCut() {
    const QFontMetrics metrics(QFont(QStringLiteral("Arial")));
    const QString title = QStringLiteral("Avira 2015.09 09/15");
    QVERIFY(fitText(title, metrics.horizontalAdvance(title), metrics) != title);
    QCOMPARE(fitText(QStringLiteral("AB"), 1, metrics), QStringLiteral("..."));
    QCOMPARE(fitText(QStringLiteral("ABCDEFGH"), 1, metrics), QStringLiteral("..."));
    QCOMPARE(fitText(QStringLiteral("AB"), 0, metrics), QString());
    QCOMPARE(fitText(QStringLiteral("AB"), -5, metrics), QString());
}

void TestFitText::markers_data() {
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<int>("marker");
    using M = ResultsDelegate::Marker;
    QTest::newRow("no virus") << QByteArray("NO_VIRUS") << int(M::NoVirus);
    QTest::newRow("lower case") << QByteArray("no_virus") << int(M::NoVirus);
    QTest::newRow("longer") << QByteArray("NO_VIRUS.A") << int(M::None);
    QTest::newRow("unknown") << QByteArray("Unknown_Virus") << int(M::UnknownVirus);
    QTest::newRow("tilde") << QByteArray("~Joke") << int(M::Tilde);
    QTest::newRow("tilde later") << QByteArray("Joke~") << int(M::None);
    QTest::newRow("empty") << QByteArray() << int(M::None);
}

void TestFitText::markers() {
    QFETCH(QByteArray, field);
    QFETCH(int, marker);
    QCOMPARE(int(ResultsDelegate::markerFor(field.toStdString())), marker);
}

QTEST_MAIN(TestFitText)
#include "tst_fittext.moc"

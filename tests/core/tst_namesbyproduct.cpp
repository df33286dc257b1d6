// SPDX-License-Identifier: MIT
#include "core/namesbyproduct.h"

#include "core/shared_linesof.h"

#include <QTest>

using namespace nomix;

// "name=count" per product, products separated by " / ".
using Counts = QByteArray;
Q_DECLARE_METATYPE(std::vector<uint32_t>)

class TestNamesByProduct : public QObject {
    Q_OBJECT

  private slots:
    void counts_data();
    void counts();
};

void TestNamesByProduct::counts_data() {
    QTest::addColumn<QByteArray>("database");
    QTest::addColumn<std::vector<uint32_t>>("hits");
    QTest::addColumn<int>("products");
    QTest::addColumn<Counts>("counts");

    const QByteArray db = "|Zbot.A|NO_VIRUS|~timeout|\r\n"
                          "|Zbot.B|W32/Zbot|NO_VIRUS|\r\n"
                          "|Zbot.A|W32/Zbot|NO_VIRUS|\r\n"
                          "|Abc|W32/Zbot|Zbot.A|\r\n";
    QTest::newRow("every value counts, most first")
        << db << std::vector<uint32_t>{0, 1, 2, 3} << 3
        << QByteArray(
               "Zbot.A=2 Abc=1 Zbot.B=1 / W32/Zbot=3 NO_VIRUS=1 / NO_VIRUS=2 Zbot.A=1 ~timeout=1");
    QTest::newRow("only the hits")
        << db << std::vector<uint32_t>{1, 3} << 3
        << QByteArray("Abc=1 Zbot.B=1 / W32/Zbot=2 / NO_VIRUS=1 Zbot.A=1");
    QTest::newRow("no hits") << db << std::vector<uint32_t>{} << 2 << QByteArray(" / ");
    QTest::newRow("fields past the last product")
        << db << std::vector<uint32_t>{0, 1} << 1 << QByteArray("Zbot.A=1 Zbot.B=1");
    QTest::newRow("runs of bars are one separator")
        << QByteArray("|A||B|\r\n|A|B|\r\n") << std::vector<uint32_t>{0, 1} << 2
        << QByteArray("A=2 / B=2");
    QTest::newRow("a short line leaves products out")
        << QByteArray("|A|\r\n|A|B|\r\n") << std::vector<uint32_t>{0, 1} << 2
        << QByteArray("A=2 / B=1");
    QTest::newRow("byte order among equals")
        << QByteArray("|b|\r\n|B|\r\n|a|\r\n|\xe9|\r\n") << std::vector<uint32_t>{0, 1, 2, 3} << 1
        << QByteArray("B=1 a=1 b=1 \xe9=1");
}

void TestNamesByProduct::counts() {
    QFETCH(QByteArray, database);
    QFETCH(std::vector<uint32_t>, hits);
    QFETCH(int, products);
    QFETCH(Counts, counts);
    const DatabaseLines lines = linesOf(database);
    const std::vector<std::vector<NameCount>> got =
        namesByProduct(lines, hits, static_cast<size_t>(products));
    QByteArrayList perProduct;
    for (const std::vector<NameCount>& names : got) {
        QByteArrayList texts;
        for (const NameCount& n : names) {
            texts << QByteArray::fromStdString(n.name) + "=" + QByteArray::number(n.count);
        }
        perProduct << texts.join(' ');
    }
    QCOMPARE(perProduct.join(" / "), counts);
}

QTEST_GUILESS_MAIN(TestNamesByProduct)
#include "tst_namesbyproduct.moc"

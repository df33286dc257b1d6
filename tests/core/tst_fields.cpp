// SPDX-License-Identifier: MIT
#include "core/fields.h"

#include <QTest>

using namespace nomix;

Q_DECLARE_METATYPE(std::string)

class TestFields : public QObject {
    Q_OBJECT

  private slots:
    void countAndExtract_data();
    void countAndExtract();
    void byCharAgreesWithSet_data();
    void byCharAgreesWithSet();
    void delimiterSetHoldsEveryByte();
};

void TestFields::countAndExtract_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<char>("delim");
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("start");
    QTest::addColumn<QByteArray>("field");

    QTest::newRow("three fields") << QByteArray("A|B|C") << '|' << 2 << 3 << 3 << QByteArray("B");
    QTest::newRow("runs are one separator")
        << QByteArray("X||Y") << '|' << 2 << 2 << 4 << QByteArray("Y");
    QTest::newRow("ends ignored") << QByteArray("|A||B|") << '|' << 1 << 2 << 2 << QByteArray("A");
    QTest::newRow("beyond the count") << QByteArray("|A||B|") << '|' << 3 << 2 << 0 << QByteArray();
    QTest::newRow("only delimiters") << QByteArray("|||") << '|' << 1 << 0 << 0 << QByteArray();
    QTest::newRow("empty text") << QByteArray() << '|' << 1 << 0 << 0 << QByteArray();
    QTest::newRow("no delimiter") << QByteArray("AB") << '|' << 1 << 1 << 1 << QByteArray("AB");
    QTest::newRow("n is zero") << QByteArray("A|B") << '|' << 0 << 2 << 0 << QByteArray();
    QTest::newRow("n is negative") << QByteArray("A|B") << '|' << -1 << 2 << 0 << QByteArray();
    QTest::newRow("single delimiter") << QByteArray("|") << '|' << 1 << 0 << 0 << QByteArray();
    QTest::newRow("single character") << QByteArray("x") << '|' << 1 << 1 << 1 << QByteArray("x");
    QTest::newRow("last field") << QByteArray("Alpha 2.1 05/97") << ' ' << 3 << 3 << 11
                                << QByteArray("05/97");
    QTest::newRow("blanks around")
        << QByteArray("  Alpha   2.1  05/97  ") << ' ' << 2 << 3 << 11 << QByteArray("2.1");
    QTest::newRow("high bytes are characters")
        << QByteArray("\xe9t\xe9|\xff") << '|' << 2 << 2 << 5 << QByteArray("\xff");
    QTest::newRow("high byte as delimiter") << QByteArray("a\xff"
                                                          "b")
                                            << '\xff' << 2 << 2 << 3 << QByteArray("b");
}

void TestFields::countAndExtract() {
    QFETCH(QByteArray, text);
    QFETCH(char, delim);
    QFETCH(int, n);
    QFETCH(int, count);
    QFETCH(int, start);
    QFETCH(QByteArray, field);

    const std::string_view view(text.constData(), static_cast<size_t>(text.size()));
    DelimiterSet set;
    set.add(static_cast<unsigned char>(delim));
    QCOMPARE(countFields(view, set), count);
    QCOMPARE(fieldStart(n, view, set), start);
    QCOMPARE(QByteArray::fromStdString(fieldAt(n, view, set)), field);
    QCOMPARE(fieldStartByChar(n, view, delim), start);
    QCOMPARE(QByteArray::fromStdString(fieldAtByChar(n, view, delim)), field);
    QCOMPARE(QByteArray::fromStdString(std::string(fieldViewByChar(n, view, delim))), field);
}

// The engine's fast field walk and the grid's set-based extraction must
// number fields alike on any text, or columns would not line up.
void TestFields::byCharAgreesWithSet_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("mixed") << QByteArray("||a|bb|||ccc|d||");
    QTest::newRow("no bars") << QByteArray("plain text");
    QTest::newRow("bars only") << QByteArray("||||||");
    QTest::newRow("nul inside") << QByteArray("a\0b|c", 5);
}

void TestFields::byCharAgreesWithSet() {
    QFETCH(QByteArray, text);
    const std::string_view view(text.constData(), static_cast<size_t>(text.size()));
    for (int n = -1; n <= 8; ++n) {
        QCOMPARE(std::string(fieldViewByChar(n, view, '|')), fieldAt(n, view, kBarSet));
    }
}

void TestFields::delimiterSetHoldsEveryByte() {
    DelimiterSet set;
    for (int b = 0; b < 256; b += 3) {
        set.add(static_cast<unsigned char>(b));
    }
    for (int b = 0; b < 256; ++b) {
        QCOMPARE(set.contains(static_cast<unsigned char>(b)), b % 3 == 0);
    }
}

QTEST_APPLESS_MAIN(TestFields)
#include "tst_fields.moc"

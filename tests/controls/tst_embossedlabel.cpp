// SPDX-License-Identifier: MIT
#include "controls/embossedlabel.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

using namespace nomix;

namespace {

const QColor kText(0, 160, 0);
const QColor kShadow(200, 0, 0);
const QColor kHighlight(0, 0, 220);
const QColor kBack(255, 255, 255);

// A label whose every copy has a colour of its own and no anti-aliasing, so
// that each copy's pixels can be told apart.
void paintDistinctly(EmbossedLabel& label) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(28);
    font.setBold(true);
    font.setStyleStrategy(QFont::NoAntialias);
    label.setFont(font);
    QPalette palette = label.palette();
    palette.setColor(QPalette::WindowText, kText);
    palette.setColor(QPalette::Window, kBack);
    label.setPalette(palette);
    label.setColor3DShadow(kShadow);
    label.setColor3DHighlight(kHighlight);
    label.resize(160, 60);
}

QRect boundsOf(const QImage& image, const QColor& color) {
    QRect bounds;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y) == color) {
                bounds |= QRect(x, y, 1, 1);
            }
        }
    }
    return bounds;
}

QImage render(QWidget& widget) {
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace

class TestEmbossedLabel : public QObject {
    Q_OBJECT

  private slots:
    void shownTextIsCut_data();
    void shownTextIsCut();
    void colorsFollowPaletteUntilSet();
    void shadowOffsetNeedsShadowedStyle();
    void copiesSitAtTheirOffsets_data();
    void copiesSitAtTheirOffsets();
    void disabledGreysOnlyTheText();
    void transparency_data();
    void transparency();
    void ampersandIsMnemonic();
    void mnemonicFocusesFocusControl();
    void clickReported();
};

void TestEmbossedLabel::shownTextIsCut_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("shownLength");

    QTest::newRow("exactly 255") << QString(255, u'x') << 255;
    QTest::newRow("256") << QString(256, u'x') << 255;
    QTest::newRow("pair across the cut")
        << QString(254, u'x') + QString::fromUtf8("\xF0\x9F\x98\x80") << 254;
}

void TestEmbossedLabel::shownTextIsCut() {
    QFETCH(QString, caption);
    QFETCH(int, shownLength);
    const QString shown = label3DShownText(caption);
    QCOMPARE(shown.size(), shownLength);
    QVERIFY(caption.startsWith(shown));
}

void TestEmbossedLabel::colorsFollowPaletteUntilSet() {
    EmbossedLabel label;
    QPalette palette = label.palette();
    palette.setColor(QPalette::Dark, Qt::magenta);
    label.setPalette(palette);
    QCOMPARE(label.color3DShadow(), QColor(Qt::magenta));
    label.setColor3DShadow(Qt::red);
    palette.setColor(QPalette::Dark, Qt::cyan);
    label.setPalette(palette);
    QCOMPARE(label.color3DShadow(), QColor(Qt::red));
}

void TestEmbossedLabel::shadowOffsetNeedsShadowedStyle() {
    EmbossedLabel label;
    label.setShadowOffset(5);
    QCOMPARE(label.shadowOffset(), 1);
    label.setStyle3D(Style3D::Shadowed);
    label.setShadowOffset(5);
    QCOMPARE(label.shadowOffset(), 5);
    label.setShadowOffset(0);
    QCOMPARE(label.shadowOffset(), 1);
    label.setShadowOffset(42);
    QCOMPARE(label.shadowOffset(), 10);
}

void TestEmbossedLabel::copiesSitAtTheirOffsets_data() {
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("shadowOffset");
    QTest::addColumn<int>("darkOffset");
    QTest::addColumn<bool>("lightCopy");

    QTest::newRow("none") << int(Style3D::None) << 1 << 0 << false;
    QTest::newRow("raised") << int(Style3D::Raised) << 1 << 1 << true;
    QTest::newRow("recessed") << int(Style3D::Recessed) << 1 << -1 << true;
    QTest::newRow("shadowed 3") << int(Style3D::Shadowed) << 3 << 3 << false;
}

void TestEmbossedLabel::copiesSitAtTheirOffsets() {
    QFETCH(int, style);
    QFETCH(int, shadowOffset);
    QFETCH(int, darkOffset);
    QFETCH(bool, lightCopy);

    EmbossedLabel label(QStringLiteral("H3D"));
    paintDistinctly(label);
    label.move(0, 0);
    label.setStyle3D(Style3D(style));
    label.setShadowOffset(shadowOffset);
    label.setContentsMargins(4, 4, 4, 4);
    const QImage image = render(label);

    const QRect text = boundsOf(image, kText);
    const QRect dark = boundsOf(image, kShadow);
    const QRect light = boundsOf(image, kHighlight);
    QVERIFY(!text.isEmpty());
    if (darkOffset == 0) {
        QVERIFY(dark.isEmpty());
        QVERIFY(light.isEmpty());
        return;
    }
    QVERIFY(!dark.isEmpty());
    QCOMPARE(light.isEmpty(), !lightCopy);
    // The outermost pixels of each copy cannot be covered by the others.
    if (darkOffset > 0) {
        QCOMPARE(dark.bottomRight(), text.bottomRight() + QPoint(darkOffset, darkOffset));
    } else {
        QCOMPARE(dark.topLeft(), text.topLeft() + QPoint(darkOffset, darkOffset));
    }
    if (lightCopy && darkOffset > 0) {
        QCOMPARE(light.topLeft(), text.topLeft() - QPoint(1, 1));
    } else if (lightCopy) {
        QCOMPARE(light.bottomRight(), text.bottomRight() + QPoint(1, 1));
    }
}

void TestEmbossedLabel::disabledGreysOnlyTheText() {
    EmbossedLabel label(QStringLiteral("H3D"));
    paintDistinctly(label);
    QPalette palette = label.palette();
    const QColor grey(128, 128, 128);
    palette.setColor(QPalette::Disabled, QPalette::WindowText, grey);
    label.setPalette(palette);
    label.setEnabled(false);
    const QImage image = render(label);
    QVERIFY(boundsOf(image, kText).isEmpty());
    QVERIFY(!boundsOf(image, grey).isEmpty());
    QVERIFY(!boundsOf(image, kShadow).isEmpty());
    QVERIFY(!boundsOf(image, kHighlight).isEmpty());
}

void TestEmbossedLabel::transparency_data() {
    QTest::addColumn<bool>("transparent");
    QTest::addColumn<QColor>("corner");

    QTest::newRow("opaque fills with its colour") << false << kBack;
    QTest::newRow("transparent shows the parent") << true << QColor(Qt::yellow);
}

void TestEmbossedLabel::transparency() {
    QFETCH(bool, transparent);
    QWidget parent;
    QPalette parentPalette = parent.palette();
    parentPalette.setColor(QPalette::Window, Qt::yellow);
    parent.setPalette(parentPalette);
    parent.setAutoFillBackground(true);
    parent.resize(200, 80);
    auto* label = new EmbossedLabel(QStringLiteral("x"), &parent);
    paintDistinctly(*label);
    label->setTransparent(transparent);
    const QImage image = render(parent);
    QTEST(image.pixelColor(label->geometry().bottomRight() - QPoint(2, 2)), "corner");
}

void TestEmbossedLabel::ampersandIsMnemonic() {
    EmbossedLabel mnemonic(QStringLiteral("&Hi"));
    EmbossedLabel plain(QStringLiteral("Hi"));
    for (EmbossedLabel* label : {&mnemonic, &plain}) {
        paintDistinctly(*label);
        label->setStyle3D(Style3D::None);
    }
    const QRect withAmp = boundsOf(render(mnemonic), kText);
    const QRect without = boundsOf(render(plain), kText);
    // No '&' is painted, and the underline runs under the H alone.
    QCOMPARE(withAmp.right(), without.right());
    QCOMPARE(withAmp.top(), without.top());
    QVERIFY2(withAmp.bottom() > without.bottom(), "the H is underlined");
    QCOMPARE(mnemonic.sizeHint(), plain.sizeHint());

    EmbossedLabel doubled(QStringLiteral("a&&b"));
    paintDistinctly(doubled);
    doubled.setStyle3D(Style3D::None);
    const QFontMetrics metrics(doubled.font());
    const int painted = boundsOf(render(doubled), kText).width();
    const int oneAmpersand = metrics.boundingRect(QStringLiteral("a&b")).width();
    QVERIFY2(qAbs(painted - oneAmpersand) <= 2, qPrintable(QString::number(painted)));
}

void TestEmbossedLabel::mnemonicFocusesFocusControl() {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* other = new QLineEdit(&window);
    auto* label = new EmbossedLabel(QStringLiteral("S&earch string"), &window);
    auto* searchBox = new QLineEdit(&window);
    layout->addWidget(other);
    layout->addWidget(label);
    layout->addWidget(searchBox);
    label->setBuddy(searchBox);
    QCOMPARE(label->buddy(), searchBox);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    other->setFocus();
    QTRY_VERIFY(other->hasFocus());
    QTest::keyClick(&window, Qt::Key_E, Qt::AltModifier);
    QTRY_VERIFY(searchBox->hasFocus());
}

void TestEmbossedLabel::clickReported() {
    EmbossedLabel label(QStringLiteral("Nomix95"));
    label.resize(100, 30);
    QSignalSpy clicks(&label, &EmbossedLabel::clicked);
    QTest::mouseClick(&label, Qt::LeftButton);
    QCOMPARE(clicks.count(), 1);
    QTest::mouseClick(&label, Qt::RightButton);
    QCOMPARE(clicks.count(), 1);
}

QTEST_MAIN(TestEmbossedLabel)
#include "tst_embossedlabel.moc"

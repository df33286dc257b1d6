// SPDX-License-Identifier: MIT
#include "platform/helpviewer.h"
#include "platform/messagebox.h"

#include <QApplication>
#include <QFile>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QUrl>
#include <QWhatsThis>

using nomix::HelpViewer;
using nomix::MessageBox;

namespace {

// Topics whose numbers share prefixes, so a lookup that matched "topic-1"
// loosely would return the wrong section; the last one is far down the
// page, so opening it must scroll.
const char* const SampleHelp = R"(<html><body>
<h1><a name="topic-40"></a>Contents</h1>
<p>Overview text.</p>
<h2><a name="topic-1"></a>Title label</h2>
<p>One: the title.</p>
<h2><a name="topic-10"></a>Products button</h2>
<p>Ten: choose products.</p>
<ul><li>Ten, second paragraph.</li></ul>
<h2><a name="topic-11"></a>Progress bar</h2>
<p>Eleven: progress.</p>
%1
<h2><a name="topic-59"></a>Options button</h2>
<p>Fifty-nine: the last topic.</p>
</body></html>)";

QString sampleHelpText() {
    QString padding;
    for (int i = 0; i < 200; ++i) {
        padding += QStringLiteral("<p>Filler paragraph %1.</p>\n").arg(i);
    }
    return QString::fromLatin1(SampleHelp).arg(padding);
}

QWidget* visibleWhatsThisPopup() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && QByteArray(widget->metaObject()->className()) == "QWhatsThat") {
            return widget;
        }
    }
    return nullptr;
}

// Every topic number the program's windows ask for.
const QList<int> ProgramTopics = {1,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 16, 17,
                                  23, 25, 27, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39,
                                  40, 42, 43, 44, 45, 46, 47, 48, 49, 50, 52, 57, 58, 59};
// Topics only the contents leads to: the import, the export and the tools.
const QList<int> GuideTopics = {60, 61, 62, 63};

QString bundledHelpFile() {
    return QStringLiteral(NOMIX_TEST_DATA_DIR "/../../resources/help/") +
           QString::fromLatin1(HelpViewer::kFileName);
}

} // namespace

class TestHelpViewer : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void findsTopicByExactNumber_data();
    void findsTopicByExactNumber();
    void viewerOpensAtTopic();
    void quitClosesViewer();
    void closingViewerDoesNotEndProgram();
    void popupShowsTopicText();
    void popupForUnknownTopicShowsNothing();
    void missingFileIsReportedOnce();

    void bundledFileCoversEveryTopic_data();
    void bundledFileCoversEveryTopic();
    void bundledContentsLinksToEveryTopic();
    void bundledFileDescribesEveryCommand_data();
    void bundledFileDescribesEveryCommand();
    void bundledLinksLeadToTopics();

  private:
    QString writeSample();

    QTemporaryDir m_dir;
};

void TestHelpViewer::init() {
    MessageBox::clearShown();
    MessageBox::setAutoAnswer(true);
}

void TestHelpViewer::cleanup() {
    QWhatsThis::hideText();
    MessageBox::setAutoAnswer(false);
}

QString TestHelpViewer::writeSample() {
    const QString path = m_dir.filePath(QString::fromLatin1(HelpViewer::kFileName));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(sampleHelpText().toUtf8()) < 0) {
        return QString();
    }
    return path;
}

void TestHelpViewer::findsTopicByExactNumber_data() {
    QTest::addColumn<int>("topic");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("notExpected");
    QTest::newRow("1 is not 10 or 11") << 1 << "One: the title."
                                       << "Ten";
    QTest::newRow("10 is not 11") << 10 << "Ten: choose products."
                                  << "Eleven";
    QTest::newRow("10 keeps its list") << 10 << "Ten, second paragraph."
                                       << "title";
    QTest::newRow("11") << 11 << "Eleven: progress."
                        << "Filler paragraph 0.1";
    QTest::newRow("first section") << 40 << "Overview text."
                                   << "One";
    QTest::newRow("last section runs to the end") << 59 << "the last topic."
                                                  << "Filler";
}

void TestHelpViewer::findsTopicByExactNumber() {
    QFETCH(int, topic);
    QFETCH(QString, expected);
    QFETCH(QString, notExpected);
    HelpViewer help(writeSample());
    const QString text = help.topicText(topic);
    QVERIFY2(text.contains(expected), qPrintable(text));
    QVERIFY2(!text.contains(notExpected), qPrintable(text));
}

void TestHelpViewer::viewerOpensAtTopic() {
    HelpViewer help(writeSample());
    QVERIFY(help.showTopic(59));
    QTextBrowser* viewer = help.viewer();
    QVERIFY(viewer);
    QCOMPARE(viewer->objectName(), QStringLiteral("HelpViewer"));
    QVERIFY(viewer->isVisible());
    QCOMPARE(viewer->source().fragment(), QStringLiteral("topic-59"));
    QTRY_VERIFY(viewer->verticalScrollBar()->value() > 0);
    const int lastTopicScroll = viewer->verticalScrollBar()->value();

    QVERIFY(help.showTopic(40));
    QCOMPARE(viewer, help.viewer());
    QTRY_VERIFY(viewer->verticalScrollBar()->value() < lastTopicScroll / 10);
}

void TestHelpViewer::quitClosesViewer() {
    HelpViewer help(writeSample());
    help.quit(); // nothing open yet: nothing happens
    QVERIFY(help.showTopic(1));
    help.quit();
    QVERIFY(!help.viewer()->isVisible());
}

// With the main window hidden in the tray, the viewer is the only window:
// closing it inside the running program must leave the program running.
void TestHelpViewer::closingViewerDoesNotEndProgram() {
    HelpViewer help(writeSample());
    QVERIFY(help.showTopic(40));
    QSignalSpy lastWindowClosed(qApp, &QGuiApplication::lastWindowClosed);
    QTimer::singleShot(0, help.viewer(), [&help] {
        help.viewer()->close();
        QCoreApplication::exit();
    });
    QCoreApplication::exec();
    QCOMPARE(lastWindowClosed.count(), 0);
}

void TestHelpViewer::popupShowsTopicText() {
    HelpViewer help(writeSample());
    QVERIFY(help.showPopup(10, QPoint(100, 100)));
    QTRY_VERIFY(visibleWhatsThisPopup() != nullptr);
    QVERIFY(help.topicHtml(10).contains(QStringLiteral("Ten: choose products.")));
}

void TestHelpViewer::popupForUnknownTopicShowsNothing() {
    HelpViewer help(writeSample());
    QVERIFY(!help.showPopup(0, QPoint(100, 100)));
    QCoreApplication::processEvents();
    QVERIFY(visibleWhatsThisPopup() == nullptr);
}

void TestHelpViewer::missingFileIsReportedOnce() {
    const QString path = m_dir.filePath(QStringLiteral("absent/NOMIX95.html"));
    HelpViewer help(path);
    QVERIFY(!help.showTopic(40));
    QVERIFY(!help.showPopup(4, QPoint(10, 10)));
    QVERIFY(!help.showTopic(47));
    QVERIFY(help.topicText(4).isEmpty());
    help.quit();

    QCOMPARE(MessageBox::shown().size(), 1);
    QCOMPARE(MessageBox::shown().first().kind, MessageBox::Error);
    QVERIFY(MessageBox::shown().first().text.contains(path));
    QVERIFY(help.viewer() == nullptr);
    QVERIFY(visibleWhatsThisPopup() == nullptr);
}

void TestHelpViewer::bundledFileCoversEveryTopic_data() {
    QTest::addColumn<int>("topic");
    for (int topic : ProgramTopics) {
        QTest::addRow("topic %d", topic) << topic;
    }
}

// A real section, not a heading alone: at least a sentence under the title.
void TestHelpViewer::bundledFileCoversEveryTopic() {
    QFETCH(int, topic);
    HelpViewer help(bundledHelpFile());
    const QString text = help.topicText(topic);
    QVERIFY2(text.size() > 120, qPrintable(QStringLiteral("topic %1: %2").arg(topic).arg(text)));
    QVERIFY(MessageBox::shown().isEmpty());
}

void TestHelpViewer::bundledContentsLinksToEveryTopic() {
    HelpViewer help(bundledHelpFile());
    const QString contents = help.topicHtml(40);
    for (int topic : ProgramTopics + GuideTopics) {
        if (topic != 40) {
            QVERIFY2(contents.contains(QStringLiteral("#topic-%1\"").arg(topic)),
                     qPrintable(QStringLiteral("no link to topic %1").arg(topic)));
        }
    }
}

void TestHelpViewer::bundledFileDescribesEveryCommand_data() {
    QTest::addColumn<int>("topic");
    QTest::addColumn<QString>("text");
    QTest::newRow("import") << 60 << "Import scan reports...";
    QTest::newRow("import's folder") << 60 << "Folder for the new database";
    QTest::newRow("search for a name") << 39 << "Search for this name";
    QTest::newRow("export in the menu") << 39 << "Export results...";
    QTest::newRow("export") << 61 << "Export search results";
    QTest::newRow("copy") << 61 << "Ctrl+C";
    QTest::newRow("command-line search") << 62 << "nomix95-cli --dir";
    QTest::newRow("command-line import") << 63 << "nomix95-import --out";
    QTest::newRow("report extension") << 39 << ".nrp";
    QTest::newRow("help key") << 40 << "F1";
}

void TestHelpViewer::bundledFileDescribesEveryCommand() {
    QFETCH(int, topic);
    QFETCH(QString, text);
    HelpViewer help(bundledHelpFile());
    const QString section = help.topicText(topic);
    QVERIFY2(section.size() > 400, qPrintable(section));
    QVERIFY2(section.contains(text), qPrintable(section));
}

void TestHelpViewer::bundledLinksLeadToTopics() {
    QFile file(bundledHelpFile());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(file.readAll());
    QVERIFY(!html.contains(QStringLiteral("<script"), Qt::CaseInsensitive));
    QVERIFY(!html.contains(QStringLiteral("http"), Qt::CaseInsensitive));

    HelpViewer help(bundledHelpFile());
    static const QRegularExpression link(QStringLiteral("href=\"#topic-(\\d+)\""));
    for (const QRegularExpressionMatch& match : link.globalMatch(html)) {
        const int topic = match.captured(1).toInt();
        QVERIFY2(!help.topicText(topic).isEmpty(),
                 qPrintable(QStringLiteral("link to missing topic %1").arg(topic)));
    }
}

QTEST_MAIN(TestHelpViewer)
#include "tst_helpviewer.moc"

// SPDX-License-Identifier: MIT
#include "helpviewer.h"

#include "messagebox.h"

#include <QApplication>
#include <QCursor>
#include <QFile>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QUrl>
#include <QWhatsThis>

namespace nomix {

namespace {

const QSize kViewerSize(640, 560);

const QString AnchorPrefix = QStringLiteral("topic-");

QString anchorOf(int topic) {
    return AnchorPrefix + QString::number(topic);
}

// The importer hangs an anchor's name on the text that follows it, so a
// section starts at the first block whose text carries "topic-N".
bool blockHasAnchor(const QTextBlock& block, const QString& name, bool prefixOnly) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QStringList names = it.fragment().charFormat().anchorNames();
        for (const QString& anchor : names) {
            if (prefixOnly ? anchor.startsWith(name) : anchor == name) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

HelpViewer::HelpViewer(const QString& helpFile, QWidget* owner)
    : m_helpFile(helpFile), m_owner(owner) {}

HelpViewer::~HelpViewer() = default;

bool HelpViewer::showTopic(int topic) {
    if (!load()) {
        return false;
    }
    QTextBrowser* browser = ensureViewer();
    if (!browser->isVisible()) {
        placeOnScreen(browser);
    }
    browser->show();
    browser->raise();
    browser->activateWindow();
    // Shown first, so the scroll to the anchor works on the real layout.
    QUrl url = QUrl::fromLocalFile(m_helpFile);
    const bool found = findTopic(topic, nullptr, nullptr);
    if (found) {
        url.setFragment(anchorOf(topic));
    }
    browser->setSource(url);
    if (!found) {
        browser->verticalScrollBar()->setValue(0);
    }
    return found;
}

bool HelpViewer::showPopup(int topic) {
    return showPopup(topic, QCursor::pos());
}

bool HelpViewer::showPopup(int topic, const QPoint& globalPos) {
    const QString html = topicHtml(topic);
    if (html.isEmpty()) {
        return false;
    }
    QWhatsThis::showText(globalPos, html, m_owner);
    return true;
}

void HelpViewer::quit() {
    if (m_viewer) {
        m_viewer->close();
    }
}

QString HelpViewer::topicHtml(int topic) {
    int start = 0;
    int end = 0;
    if (!load() || !findTopic(topic, &start, &end)) {
        return QString();
    }
    QTextCursor cursor(&m_document);
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    return QTextDocumentFragment(cursor).toHtml();
}

QString HelpViewer::topicText(int topic) {
    int start = 0;
    int end = 0;
    if (!load() || !findTopic(topic, &start, &end)) {
        return QString();
    }
    QTextCursor cursor(&m_document);
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    return cursor.selection().toPlainText().trimmed();
}

QTextBrowser* HelpViewer::viewer() const {
    return m_viewer.get();
}

// Tried again on every request, so a help file that turns up later is used;
// its absence is reported only once.
bool HelpViewer::load() {
    if (m_loaded) {
        return true;
    }
    QFile file(m_helpFile);
    if (!file.open(QIODevice::ReadOnly)) {
        reportMissingFile();
        return false;
    }
    m_document.setHtml(QString::fromUtf8(file.readAll()));
    m_loaded = true;
    return true;
}

void HelpViewer::reportMissingFile() {
    if (m_missingReported) {
        return;
    }
    m_missingReported = true;
    MessageBox::error(m_owner, QCoreApplication::translate(
                                   "nomix::HelpViewer", "Cannot open the help file \"%1\".\r"
                                                        "Help is not available until the file is "
                                                        "put back next to the program.")
                                   .arg(m_helpFile));
}

bool HelpViewer::findTopic(int topic, int* start, int* end) const {
    const QString anchor = anchorOf(topic);
    QTextBlock block = m_document.begin();
    while (block.isValid() && !blockHasAnchor(block, anchor, false)) {
        block = block.next();
    }
    if (!block.isValid()) {
        return false;
    }
    const int sectionStart = block.position();
    block = block.next();
    while (block.isValid() && !blockHasAnchor(block, AnchorPrefix, true)) {
        block = block.next();
    }
    const int sectionEnd = block.isValid() ? block.position() - 1 : m_document.characterCount() - 1;
    if (start) {
        *start = sectionStart;
    }
    if (end) {
        *end = sectionEnd;
    }
    return true;
}

QTextBrowser* HelpViewer::ensureViewer() {
    if (!m_viewer) {
        m_viewer = std::make_unique<QTextBrowser>();
        m_viewer->setObjectName(QString::fromLatin1(kViewerName));
        m_viewer->setWindowTitle(QCoreApplication::translate("nomix::HelpViewer", "Nomix95 Help"));
        m_viewer->setOpenExternalLinks(false);
        // The main window may be hidden in the tray: closing the help must
        // not be taken for the end of the program.
        m_viewer->setAttribute(Qt::WA_QuitOnClose, false);
    }
    return m_viewer.get();
}

// The viewer opens at its usual size where the screen has room for it, and
// always whole on the screen of the window that asked for help, centred there.
void HelpViewer::placeOnScreen(QWidget* viewer) const {
    const QWidget* anchor =
        QApplication::activeWindow() ? QApplication::activeWindow() : m_owner.data();
    const QScreen* screen = anchor ? anchor->screen() : QGuiApplication::primaryScreen();
    if (!screen) {
        viewer->resize(kViewerSize);
        return;
    }
    const QRect area = screen->availableGeometry();
    // Room for the window manager's frame around the viewer.
    const QSize room(area.width() * 9 / 10, area.height() * 9 / 10);
    const QSize size = kViewerSize.boundedTo(room);
    viewer->resize(size);
    viewer->move(area.left() + (area.width() - size.width()) / 2,
                 area.top() + (area.height() - size.height()) / 2);
}

} // namespace nomix

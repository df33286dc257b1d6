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
    : helpFile_(helpFile), owner_(owner) {}

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
    QUrl url = QUrl::fromLocalFile(helpFile_);
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
    QWhatsThis::showText(globalPos, html, owner_);
    return true;
}

void HelpViewer::quit() {
    if (viewer_) {
        viewer_->close();
    }
}

QString HelpViewer::topicHtml(int topic) {
    int start = 0;
    int end = 0;
    if (!load() || !findTopic(topic, &start, &end)) {
        return QString();
    }
    QTextCursor cursor(&document_);
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
    QTextCursor cursor(&document_);
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    return cursor.selection().toPlainText().trimmed();
}

QTextBrowser* HelpViewer::viewer() const {
    return viewer_.get();
}

// Tried again on every request, so a help file that turns up later is used;
// its absence is reported only once.
bool HelpViewer::load() {
    if (loaded_) {
        return true;
    }
    QFile file(helpFile_);
    if (!file.open(QIODevice::ReadOnly)) {
        reportMissingFile();
        return false;
    }
    document_.setHtml(QString::fromUtf8(file.readAll()));
    loaded_ = true;
    return true;
}

void HelpViewer::reportMissingFile() {
    if (missingReported_) {
        return;
    }
    missingReported_ = true;
    MessageBox::error(owner_, QStringLiteral("Cannot open the help file \"%1\".\r"
                                             "Help is not available until the file is "
                                             "put back next to the program.")
                                  .arg(helpFile_));
}

bool HelpViewer::findTopic(int topic, int* start, int* end) const {
    const QString anchor = anchorOf(topic);
    QTextBlock block = document_.begin();
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
    const int sectionEnd = block.isValid() ? block.position() - 1 : document_.characterCount() - 1;
    if (start) {
        *start = sectionStart;
    }
    if (end) {
        *end = sectionEnd;
    }
    return true;
}

QTextBrowser* HelpViewer::ensureViewer() {
    if (!viewer_) {
        viewer_ = std::make_unique<QTextBrowser>();
        viewer_->setObjectName(QString::fromLatin1(ViewerName));
        viewer_->setWindowTitle(QStringLiteral("Nomix95 Help"));
        viewer_->setOpenExternalLinks(false);
        // The main window may be hidden in the tray: closing the help must
        // not be taken for the end of the program.
        viewer_->setAttribute(Qt::WA_QuitOnClose, false);
    }
    return viewer_.get();
}

// The viewer opens at its usual size where the screen has room for it, and
// always whole on the screen of the window that asked for help, centred there.
void HelpViewer::placeOnScreen(QWidget* viewer) const {
    const QWidget* anchor =
        QApplication::activeWindow() ? QApplication::activeWindow() : owner_.data();
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

// SPDX-License-Identifier: MIT
#pragma once

#include <QPoint>
#include <QPointer>
#include <QString>
#include <QTextDocument>

#include <memory>

class QTextBrowser;
class QWidget;

namespace nomix {

// The program's help service: one HTML file beside the program with a
// section per topic number (anchor "topic-N"), shown in a browser window or
// as a "What's this?" popup. Every window and dialog asks for help by number,
// so one object serves them all.
//
// Cost: the file is parsed once, on first use, into a text document that
// stays in memory (a few hundred KB for the whole help); the viewer window
// exists only after the first topic was opened.
class HelpViewer {
  public:
    static constexpr const char* kFileName = "NOMIX95.html";
    static constexpr const char* kViewerName = "HelpViewer";

    // `owner` is the parent of the message box that reports a missing file.
    explicit HelpViewer(const QString& helpFile, QWidget* owner = nullptr);
    ~HelpViewer();

    HelpViewer(const HelpViewer&) = delete;
    HelpViewer& operator=(const HelpViewer&) = delete;

    // Opens the viewer window at the topic. With the topic
    // missing from the file the viewer still opens, at its beginning.
    // False when the file or the topic is missing.
    bool showTopic(int topic);

    // The topic's text in a popup at the mouse cursor
    // (or at `globalPos`). False, and no popup, when the file or the topic
    // is missing.
    bool showPopup(int topic);
    bool showPopup(int topic, const QPoint& globalPos);

    // Closes the viewer window, if it is open.
    void quit();

    // The topic's section as rich text and as plain text; empty when the
    // file or the topic is missing.
    QString topicHtml(int topic);
    QString topicText(int topic);

    // The viewer window, or nullptr before the first showTopic().
    QTextBrowser* viewer() const;

  private:
    bool load();
    void reportMissingFile();
    bool findTopic(int topic, int* start, int* end) const;
    QTextBrowser* ensureViewer();
    void placeOnScreen(QWidget* viewer) const;

    QString m_helpFile;
    QPointer<QWidget> m_owner;
    QTextDocument m_document;
    bool m_loaded = false;
    bool m_missingReported = false;
    std::unique_ptr<QTextBrowser> m_viewer;
};

} // namespace nomix

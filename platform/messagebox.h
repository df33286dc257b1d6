// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QString>

#include <exception>
#include <functional>

class QWidget;

namespace nomix {

// Every message box of the program goes through here, so tests can preset
// the answer and read what the user would have seen, and no test ever waits
// on a modal box that nobody will close.
class MessageBox {
  public:
    enum Kind { Error, Warning, Information };
    enum Button { NoButton = 0, Ok = 1, Cancel = 2, Yes = 4, No = 8 };
    using Buttons = int;

    // Shows a modal box. A "\r" in `text` is a line break, as the program's
    // texts are written. `defaultButton` is the one Return presses; a
    // question whose Yes loses data makes No the default.
    static Button show(QWidget* parent, Kind kind, const QString& caption, const QString& text,
                       Buttons buttons = Ok, Button defaultButton = NoButton);
    static Button error(QWidget* parent, const QString& text);
    static Button information(QWidget* parent, const QString& text);

    // The standard error report: the message followed by "." under the
    // application's title, with an error icon and an OK button.
    static void reportException(QWidget* parent, const QString& message);
    // The same report for an exception; a file error names its file.
    static void reportError(QWidget* parent, const std::exception& error);
    static QString errorText(const std::exception& error);

    // For tests: answer the next boxes with these buttons (in order) instead
    // of showing them. With the queue empty, boxes are shown as usual, unless
    // setAutoAnswer() is on, which answers every box with its first button.
    static void presetAnswers(const QList<Button>& answers);
    static void setAutoAnswer(bool on);

    struct Shown {
        Kind kind;
        QString caption;
        QString text;
        Button defaultButton = NoButton;
    };
    // For tests: answers every box through `answerer` (before the presets)
    // until it is reset with an empty function. It may act as the user would
    // while the box is up, such as changing a file.
    static void setAnswerer(std::function<Button(const Shown&)> answerer);
    // Every box shown (or answered by a preset) since the last clear.
    static const QList<Shown>& shown();
    static void clearShown();
};

} // namespace nomix

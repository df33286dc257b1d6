// SPDX-License-Identifier: MIT
#include "messagebox.h"

#include "core/fileerror.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>

namespace nomix {

namespace {

QList<MessageBox::Button>& presets() {
    static QList<MessageBox::Button> queue;
    return queue;
}

QList<MessageBox::Shown>& history() {
    static QList<MessageBox::Shown> list;
    return list;
}

std::function<MessageBox::Button(const MessageBox::Shown&)>& answerer() {
    static std::function<MessageBox::Button(const MessageBox::Shown&)> function;
    return function;
}

bool& autoAnswer() {
    static bool on = false;
    return on;
}

MessageBox::Button firstButtonOf(MessageBox::Buttons buttons) {
    for (MessageBox::Button b :
         {MessageBox::Ok, MessageBox::Yes, MessageBox::No, MessageBox::Cancel}) {
        if (buttons & b) {
            return b;
        }
    }
    return MessageBox::Ok;
}

QMessageBox::Icon iconOf(MessageBox::Kind kind) {
    switch (kind) {
    case MessageBox::Error:
        return QMessageBox::Critical;
    case MessageBox::Warning:
        return QMessageBox::Warning;
    case MessageBox::Information:
        return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButton standardButtonOf(MessageBox::Button button) {
    switch (button) {
    case MessageBox::Ok:
        return QMessageBox::Ok;
    case MessageBox::Cancel:
        return QMessageBox::Cancel;
    case MessageBox::Yes:
        return QMessageBox::Yes;
    case MessageBox::No:
        return QMessageBox::No;
    case MessageBox::NoButton:
        break;
    }
    return QMessageBox::NoButton;
}

QMessageBox::StandardButtons standardButtonsOf(MessageBox::Buttons buttons) {
    QMessageBox::StandardButtons result;
    for (MessageBox::Button b :
         {MessageBox::Ok, MessageBox::Cancel, MessageBox::Yes, MessageBox::No}) {
        if (buttons & b) {
            result |= standardButtonOf(b);
        }
    }
    return result;
}

MessageBox::Button buttonOf(int standard) {
    switch (standard) {
    case QMessageBox::Ok:
        return MessageBox::Ok;
    case QMessageBox::Cancel:
        return MessageBox::Cancel;
    case QMessageBox::Yes:
        return MessageBox::Yes;
    case QMessageBox::No:
        return MessageBox::No;
    default:
        return MessageBox::NoButton;
    }
}

} // namespace

MessageBox::Button MessageBox::show(QWidget* parent, Kind kind, const QString& caption,
                                    const QString& text, Buttons buttons, Button defaultButton) {
    QString shownText = text;
    shownText.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    history().append({kind, caption, shownText, defaultButton});
    if (answerer()) {
        return answerer()(history().last());
    }
    if (!presets().isEmpty()) {
        return presets().takeFirst();
    }
    if (autoAnswer()) {
        return firstButtonOf(buttons);
    }
    QMessageBox box(iconOf(kind), caption, shownText, standardButtonsOf(buttons), parent);
    box.setObjectName(QStringLiteral("MessageBox"));
    box.setTextFormat(Qt::PlainText);
    if (defaultButton != NoButton) {
        box.setDefaultButton(standardButtonOf(defaultButton));
    }
    return buttonOf(box.exec());
}

MessageBox::Button MessageBox::error(QWidget* parent, const QString& text) {
    return show(parent, Error, QCoreApplication::translate("nomix::MessageBox", "Error"), text, Ok);
}

MessageBox::Button MessageBox::information(QWidget* parent, const QString& text) {
    return show(parent, Information,
                QCoreApplication::translate("nomix::MessageBox", "Information"), text, Ok);
}

void MessageBox::reportException(QWidget* parent, const QString& message) {
    show(parent, Error, QApplication::applicationDisplayName(), message + QLatin1Char('.'), Ok);
}

void MessageBox::reportError(QWidget* parent, const std::exception& error) {
    reportException(parent, errorText(error));
}

// "File not found" alone does not say which of the program's files is meant.
QString MessageBox::errorText(const std::exception& error) {
    const QString text = QString::fromLocal8Bit(error.what());
    const auto* fileError = dynamic_cast<const FileError*>(&error);
    if (!fileError || fileError->path().empty()) {
        return text;
    }
    return QFile::decodeName(fileError->path().c_str()) + QStringLiteral(": ") + text;
}

void MessageBox::presetAnswers(const QList<Button>& answers) {
    presets() = answers;
}

void MessageBox::setAnswerer(std::function<Button(const Shown&)> function) {
    answerer() = std::move(function);
}

void MessageBox::setAutoAnswer(bool on) {
    autoAnswer() = on;
}

const QList<MessageBox::Shown>& MessageBox::shown() {
    return history();
}

void MessageBox::clearShown() {
    history().clear();
}

} // namespace nomix

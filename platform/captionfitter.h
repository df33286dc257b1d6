// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

class QString;
class QWidget;

namespace nomix {

// Window managers cut a caption that does not fit the title bar ("Set wi…
// e grid"): a dialog sized for its contents alone can be narrower than its
// own caption. Installed on the application, this widens every resizable
// dialog, as it is shown, to its caption's width plus the title bar's
// buttons, keeping it centred where it was placed. Windows of a fixed size
// keep their designed layout.
class CaptionFitter : public QObject {
    Q_OBJECT

  public:
    // Watches every window of the application while it lives.
    explicit CaptionFitter(QObject* parent = nullptr);
    ~CaptionFitter() override;

    // The width a window needs so its title bar shows `caption` whole. The
    // window manager's title font is not ours to know: the application's
    // font in bold stands in for it, which is no smaller than the usual ones.
    static int neededWidth(const QString& caption);
    static void fit(QWidget* window);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace nomix

#pragma once

#include "controls/leftclicktracker.h"

#include <QColor>
#include <QLabel>
#include <QString>

#include <cstdint>

namespace nomix {

enum T3dStyle : uint8_t { tsNone, tsRaised, tsRecessed, tsShadowed };

inline constexpr int kMinShadowOffset = 1;
inline constexpr int kMaxShadowOffset = 10;
// Longer captions are cut: the label never shows more than this.
inline constexpr int kLabel3DMaxCaption = 255;

// Distance of the dark copy from the text, down and right; the light copy of
// the raised and recessed looks sits the same distance up and left.
int Label3DOffset(T3dStyle style, int shadowOffset);

// The caption as painted: at most kLabel3DMaxCaption characters, never
// ending in half a character.
QString Label3DShownText(const QString& caption);

// Horizontal alignment of `alignment`, always at the top, always wrapping at
// words, expanding tabs and taking '&' as the mnemonic prefix.
int Label3DTextFlags(Qt::Alignment alignment);

// A text label with a raised, recessed or drop-shadow look, used for almost
// every caption of the program. The look comes from painting the text up to
// three times in different colours and offsets, so it costs up to three text
// layouts per paint and nothing between paints. Everything else (buddy,
// mnemonic, font, alignment, word wrap for sizing) is the plain QLabel's.
class EmbossedLabel : public QLabel {
    Q_OBJECT
    Q_PROPERTY(float About READ about STORED false)
    Q_PROPERTY(nomix::T3dStyle Style3D READ style3D WRITE setStyle3D)
    Q_PROPERTY(int ShadowOffset READ shadowOffset WRITE setShadowOffset)
    Q_PROPERTY(QColor Color3DShadow READ color3DShadow WRITE setColor3DShadow)
    Q_PROPERTY(QColor Color3DHilight READ color3DHilight WRITE setColor3DHilight)
    Q_PROPERTY(bool Transparent READ transparent WRITE setTransparent)
    Q_PROPERTY(int Tag READ tag WRITE setTag)

  public:
    explicit EmbossedLabel(QWidget* parent = nullptr);
    explicit EmbossedLabel(const QString& caption, QWidget* parent = nullptr);

    // Version mark of the control; has no effect.
    float about() const { return 1.2f; }

    T3dStyle style3D() const { return style3D_; }
    void setStyle3D(T3dStyle style);
    int shadowOffset() const { return shadowOffset_; }
    // Taken only while the style is tsShadowed; dropped otherwise, so set the
    // style first.
    void setShadowOffset(int offset);

    // Until set, these follow the palette's button shadow and highlight.
    QColor color3DShadow() const;
    void setColor3DShadow(const QColor& color);
    QColor color3DHilight() const;
    void setColor3DHilight(const QColor& color);

    // When false the label first fills itself with its palette's window colour.
    bool transparent() const { return transparent_; }
    void setTransparent(bool transparent);

    // The control that Alt + the mnemonic letter focuses.
    QWidget* focusControl() const { return buddy(); }
    void setFocusControl(QWidget* control) { setBuddy(control); }

    // Help topic of the label, which has no help context of its own.
    int tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  signals:
    void clicked();
    void doubleClicked();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void drawCopy(QPainter& painter, const QString& text, int dx, int dy, const QColor& color);
    QSize singleLineSize() const;

    T3dStyle style3D_ = tsRaised;
    int shadowOffset_ = 1;
    QColor color3DShadow_;  // invalid: the palette's button shadow
    QColor color3DHilight_; // invalid: the palette's button highlight
    bool transparent_ = false;
    int tag_ = 0;
    LeftClickTracker clicks_;
};

} // namespace nomix

// SPDX-License-Identifier: MIT
#pragma once

#include "controls/leftclicktracker.h"

#include <QColor>
#include <QLabel>
#include <QString>

#include <cstdint>

namespace nomix {

enum class Style3D : uint8_t { None, Raised, Recessed, Shadowed };

inline constexpr int kMinShadowOffset = 1;
inline constexpr int kMaxShadowOffset = 10;
// Longer captions are cut: the label never shows more than this.
inline constexpr int kLabel3DMaxCaption = 255;

// Distance of the dark copy from the text, down and right; the light copy of
// the raised and recessed looks sits the same distance up and left.
int label3DOffset(Style3D style, int shadowOffset);

// The caption as painted: at most kLabel3DMaxCaption characters, never
// ending in half a character.
QString label3DShownText(const QString& caption);

// Horizontal alignment of `alignment`, always at the top, always wrapping at
// words, expanding tabs and taking '&' as the mnemonic prefix.
int label3DTextFlags(Qt::Alignment alignment);

// A text label with a raised, recessed or drop-shadow look, used for almost
// every caption of the program. The look comes from painting the text up to
// three times in different colours and offsets, so it costs up to three text
// layouts per paint and nothing between paints. Everything else (buddy,
// mnemonic, font, alignment, word wrap for sizing) is the plain QLabel's.
class EmbossedLabel : public QLabel {
    Q_OBJECT
    Q_PROPERTY(nomix::Style3D style3D READ style3D WRITE setStyle3D)
    Q_PROPERTY(int shadowOffset READ shadowOffset WRITE setShadowOffset)
    Q_PROPERTY(QColor color3DShadow READ color3DShadow WRITE setColor3DShadow)
    Q_PROPERTY(QColor color3DHighlight READ color3DHighlight WRITE setColor3DHighlight)
    Q_PROPERTY(bool transparent READ isTransparent WRITE setTransparent)

  public:
    explicit EmbossedLabel(QWidget* parent = nullptr);
    explicit EmbossedLabel(const QString& caption, QWidget* parent = nullptr);

    Style3D style3D() const { return m_style3D; }
    void setStyle3D(Style3D style);
    int shadowOffset() const { return m_shadowOffset; }
    // Taken only while the style is Style3D::Shadowed; dropped otherwise, so set the
    // style first.
    void setShadowOffset(int offset);

    // Until set, these follow the palette's button shadow and highlight.
    QColor color3DShadow() const;
    void setColor3DShadow(const QColor& color);
    QColor color3DHighlight() const;
    void setColor3DHighlight(const QColor& color);

    // When false the label first fills itself with its palette's window colour.
    bool isTransparent() const { return m_transparent; }
    void setTransparent(bool transparent);

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

    Style3D m_style3D = Style3D::Raised;
    int m_shadowOffset = 1;
    QColor m_color3DShadow;    // invalid: the palette's button shadow
    QColor m_color3DHighlight; // invalid: the palette's button highlight
    bool m_transparent = false;
    LeftClickTracker m_clicks;
};

} // namespace nomix

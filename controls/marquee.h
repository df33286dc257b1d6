// SPDX-License-Identifier: MIT
#pragma once

#include <QFrame>
#include <QImage>
#include <QStringList>
#include <QTimer>

#include <cstdint>

namespace nomix {

enum class Justification : uint8_t {
    Center = 0,
    Left = 1,
    Right = 2,
};

// A panel that scrolls its lines through its inner area like film credits,
// three pixels per timer step, once or in a loop. All lines are rendered once
// per start into a picture as wide as the panel and N line heights plus two
// panel heights tall; a step only moves the copy window over it, so a step
// costs one copy of the inner area.
class Marquee : public QFrame {
    Q_OBJECT

  public:
    explicit Marquee(QWidget* owner = nullptr);
    // A marquee destroyed while scrolling still emits finished().
    ~Marquee() override;

    // Milliseconds between two steps.
    uint32_t interval() const;
    void setInterval(uint32_t milliseconds);

    bool loop() const { return m_loop; }
    void setLoop(bool loop) { m_loop = loop; }

    bool scrollsDown() const { return m_scrollsDown; }
    void setScrollsDown(bool scrollsDown) { m_scrollsDown = scrollsDown; }

    Justification justification() const { return m_justification; }
    void setJustification(Justification justification) { m_justification = justification; }

    const QStringList& lines() const { return m_lines; }
    void setLines(const QStringList& lines) { m_lines = lines; }

    // The margin between the panel's edge and the text area.
    int bevelWidth() const { return m_bevelWidth; }
    void setBevelWidth(int width);

    QColor color() const;
    void setColor(const QColor& color);

    // Renders the lines and starts the steps; does nothing while scrolling
    // or without lines. Throws MarqueeError when a line cannot be rendered
    // (the marquee then stays idle).
    void startScrolling();
    // Stops the steps and emits finished(), if scrolling.
    void stopScrolling();

    bool isScrolling() const { return m_scrolling; }
    // The picture's row shown at the top of the text area.
    int scrollOffset() const { return m_offset; }
    // Text height plus the font's internal leading, in pixels.
    int lineHeight() const;
    QRect textArea() const;

  public slots:
    // One timer step: move three pixels, then repaint the text area.
    void tick();

  signals:
    // Scrolling stopped: the last line went by (without loop()), or
    // stopScrolling() was called.
    void finished();

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void renderLines();
    void step();
    int startOffset() const;
    int drawLine(QPainter& painter, int index) const;
    [[noreturn]] static void failToRender(int index);

    QImage m_picture;
    QRect m_textArea;
    QStringList m_lines;
    Justification m_justification = Justification::Center;
    bool m_scrollsDown = false;
    int m_lineHeight = 0;
    int m_offset = 0;
    int m_renderedLines = 0;
    int m_renderedHeight = 0;
    QTimer m_timer;
    bool m_scrolling = false;
    bool m_loop = false;
    int m_bevelWidth = 3;
};

} // namespace nomix

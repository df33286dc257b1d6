#pragma once

#include <QFrame>
#include <QImage>
#include <QStringList>
#include <QTimer>

#include <cstdint>

namespace nomix {

enum Justification : uint8_t {
    tjCenter = 0,
    tjLeft = 1,
    tjRight = 2,
};

// A panel that scrolls its lines through its inner area like film credits,
// three pixels per timer step, once or in a loop. All lines are rendered once
// per start into a bitmap as wide as the panel and N line heights plus two
// panel heights tall; a step only moves the copy window over it, so a step
// costs one copy of the inner area.
class Marquee : public QFrame {
    Q_OBJECT

  public:
    explicit Marquee(QWidget* owner = nullptr);
    // A marquee destroyed while scrolling still raises OnDone.
    ~Marquee() override;

    uint32_t TimerInterval() const;
    void SetTimerInterval(uint32_t milliseconds);

    bool Loop() const { return loop_; }
    void SetLoop(bool loop) { loop_ = loop; }

    bool ScrollDown() const { return scrollDown_; }
    void SetScrollDown(bool scrollDown) { scrollDown_ = scrollDown; }

    Justification Justify() const { return justify_; }
    void SetJustify(Justification justify) { justify_ = justify; }

    const QStringList& Items() const { return items_; }
    void SetItems(const QStringList& items) { items_ = items; }

    // The margin between the panel's edge and the text area.
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int width);

    QColor Color() const;
    void SetColor(const QColor& color);

    // Renders the lines and starts the steps; does nothing while scrolling
    // or without lines. Throws MarqueeError when a line cannot be rendered
    // (the marquee then stays idle).
    void StartScrolling();
    // Stops the steps and raises OnDone, if scrolling.
    virtual void StopScrolling();

    bool Scrolling() const { return scrolling_; }
    // The bitmap row shown at the top of the text area.
    int ScrollOffset() const { return offset_; }
    // Text height plus the font's internal leading, in pixels.
    int LineHeight() const;
    QRect TextArea() const;

  public slots:
    // One timer step: move three pixels, then repaint the text area.
    void Tick();

  signals:
    void OnDone();

  protected:
    virtual void FillBitmap();
    void paintEvent(QPaintEvent* event) override;

  private:
    void Step();
    int StartOffset() const;
    int DrawLine(QPainter& painter, int index) const;
    [[noreturn]] static void FailToRender(int index);

    QImage bitmap_;
    QRect textArea_;
    QStringList items_;
    Justification justify_ = tjCenter;
    bool scrollDown_ = false;
    int lineHeight_ = 0;
    int offset_ = 0;
    int renderedLines_ = 0;
    int renderedHeight_ = 0;
    QTimer timer_;
    bool scrolling_ = false;
    bool loop_ = false;
    int bevelWidth_ = 3;
};

} // namespace nomix

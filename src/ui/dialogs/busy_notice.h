#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QTimer;
class QToolButton;

namespace vxl {

// The busy notice: a small borderless always-on-top window centred on its owner that shows a
// short text for the display time and then fades out in 16 steps of 50 ms. A new notice while
// one is showing (or fading) starts again fully opaque for the whole display time.
class TfPopup : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kWidth = 300;
    static constexpr int kHeight = 100;
    static constexpr int kDefaultDisplayMs = 2000;
    static constexpr int kFadeStepMs = 50;
    static constexpr int kFadeSteps = 16;
    static constexpr int kOpaque = 255;
    static constexpr int kFadeDecrement = 15;

    explicit TfPopup(QWidget *owner);

    // A negative display time keeps the stored one; an empty text shows the stored text again.
    void ShowNotice(const QString &text, int displayMs = -1);

    void setBeep(bool on) { m_beep = on; }
    [[nodiscard]] bool beep() const { return m_beep; }
    // 0 is the default system sound; this platform plays the same beep for every type.
    void setSoundType(int type) { m_soundType = type; }
    [[nodiscard]] int soundType() const { return m_soundType; }

    [[nodiscard]] bool showing() const { return m_showing; }
    [[nodiscard]] QString text() const { return m_text; }
    [[nodiscard]] int displayTime() const { return m_displayMs; }
    [[nodiscard]] int fadeTicks() const { return m_fadeTicks; }
    // 1.0 while fully shown, down to 15/255 at the last fade step.
    [[nodiscard]] qreal currentOpacity() const { return qreal(m_alpha) / qreal(kOpaque); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void tmrCloserTimer();
    void spbMasterOffClick();
    void close();
    void setAlpha(int alpha);
    void centreOnOwner();

    QWidget *m_owner = nullptr;
    QLabel *m_label = nullptr;
    QToolButton *m_close = nullptr;
    QTimer *m_closer = nullptr;
    QString m_text;
    int m_displayMs = kDefaultDisplayMs;
    bool m_beep = true;
    int m_soundType = 0;
    bool m_showing = false;
    int m_fadeTicks = 0;
    int m_alpha = kOpaque;
};

} // namespace vxl

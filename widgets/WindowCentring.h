#pragma once

#include <QMargins>
#include <QPoint>
#include <QObject>

#include <optional>

class QWidget;

// Centres a top-level window's frame, title bar and borders included, in the work area of its
// screen at every showing, keeping the title bar on screen when the work area is too small.
// Under X11 a window's frame is unknown until the window manager has framed it, so before the
// first mapping the window manager is asked for the frame it will add; should it not answer,
// the placement is corrected as soon as the real frame is known.
class WindowCentring : public QObject
{
    Q_OBJECT
public:
    explicit WindowCentring(QWidget *window);

    // For a window that takes its final size while it is being shown (a message box lays
    // itself out then): centred again with the frame it was placed with.
    void centreAgain();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void centre(const QMargins &frame);
    QMargins knownFrameMargins() const;
    std::optional<QMargins> announcedFrameMargins() const;

    QWidget *m_window;
    bool m_settling = false;   // placed with a frame that may still change
    QMargins m_placedWith;
    QPoint m_placedAt;   // the client area's position it was given
    std::optional<QMargins> m_seenFrame;   // the frame the window manager gave it last time
};

#pragma once

#include <QTimer>

// The three modes a window timer is switched between. A one-shot timer that has fired reads as
// off again.
enum class TimerMode { Off, Once, Repeating };

inline TimerMode timerMode(const QTimer& timer) {
    if (!timer.isActive())
        return TimerMode::Off;
    return timer.isSingleShot() ? TimerMode::Once : TimerMode::Repeating;
}

// Switching to Once or Repeating (re)starts the period from now.
inline void setTimerMode(QTimer& timer, TimerMode mode) {
    if (mode == TimerMode::Off) {
        timer.stop();
        return;
    }
    timer.setSingleShot(mode == TimerMode::Once);
    timer.start();
}

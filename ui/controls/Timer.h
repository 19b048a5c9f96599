// A window timer that ticks every Interval milliseconds while enabled.
#pragma once

#include <windows.h>

#include <functional>

namespace falvori::ui {

class Timer {
public:
    Timer() = default;
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;
    ~Timer() { SetEnabled(false); }

    // The owner window receives WM_TIMER and hands it to OnTimer.
    void Create(HWND owner, UINT_PTR id, UINT interval) {
        owner_ = owner;
        id_ = id;
        interval_ = interval;
    }

    bool Enabled() const { return enabled_; }
    // Enabling starts a fresh interval.
    void SetEnabled(bool on) {
        if (on)
            enabled_ = SetTimer(owner_, id_, interval_, nullptr) != 0;
        else if (enabled_) {
            KillTimer(owner_, id_);
            enabled_ = false;
        }
    }
    UINT Interval() const { return interval_; }

    std::function<void()> onTick;

    // True when the WM_TIMER was this timer's.
    bool OnTimer(UINT_PTR id) {
        if (id != id_ || !enabled_) return false;
        if (onTick) onTick();
        return true;
    }

private:
    HWND owner_ = nullptr;
    UINT_PTR id_ = 0;
    UINT interval_ = 0;
    bool enabled_ = false;
};

}  // namespace falvori::ui

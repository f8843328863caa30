#pragma once

// The application's hint timings: how long the mouse must rest on a control before its hint
// shows (the hint pause) and how long the hint then stays up (the hint hide pause).
// Qt's own tooltip delay is a style setting, so an application event filter takes over:
// it lets Qt's own tooltip requests pass no more and asks the control under the mouse for
// its hint itself once the pause has run out.
struct HintPauses {
    int pause = 500;      // milliseconds before a hint shows
    int hidePause = 2500; // milliseconds a hint stays up

    friend bool operator==(const HintPauses&, const HintPauses&) = default;
};

// What the program uses everywhere, and what the tape overview uses while it is up.
inline constexpr HintPauses kStandardHintPauses{500, 2500};
inline constexpr HintPauses kOverviewHintPauses{0, 30000};

// Applies the timings to the whole application from now on. Needs a QApplication.
void setApplicationHintPauses(const HintPauses& pauses);
HintPauses applicationHintPauses();

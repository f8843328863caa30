#pragma once

#include <QString>
#include <vector>

// Where the overview's ruler puts its ticks and hour labels, for a ruler width pixels wide
// that spans maximum minutes: a tick every 2 minutes from x = 2, a label every 30 minutes.
namespace overview {

struct RulerLabel {
    int x = 0; // the label's left edge; its top is at y = 1
    QString text;
};

struct RulerLayout {
    std::vector<int> ticks; // x of each tick, drawn from y = 15 down to the base line
    std::vector<RulerLabel> labels;
};

// Without a maximum there is no scale: no ticks, no labels.
RulerLayout rulerLayout(int width, int maximum);

} // namespace overview

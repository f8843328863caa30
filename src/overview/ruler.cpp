#include "ruler.h"

#include "free_time.h"

namespace overview {

RulerLayout rulerLayout(int width, int maximum) {
    RulerLayout layout;
    if (maximum <= 0)
        return layout;
    const double step = double(width) / maximum;
    // The first tick is drawn whatever the width.
    double x = 2.0;
    do {
        layout.ticks.push_back(roundHalfEven(x));
        x = x + 2 * step;
    } while (x <= width);
    for (int m = 0; m <= maximum; m += 30)
        layout.labels.push_back({roundHalfEven(m * step), minutesText(m)});
    return layout;
}

} // namespace overview

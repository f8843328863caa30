#include "BaandOversigtFormUnit.h"
#include "framework/error_display.h"
#include "hint_pauses.h"

#include <memory>

namespace {

// The overview is released like any window: destroyed once pending events are handled.
struct DeleteLater {
    void operator()(QObject* object) const { object->deleteLater(); }
};

// The program's usual hint timings come back however the overview ends.
class OverviewHintPauses {
public:
    OverviewHintPauses() { setApplicationHintPauses(kOverviewHintPauses); }
    ~OverviewHintPauses() { setApplicationHintPauses(kStandardHintPauses); }
    OverviewHintPauses(const OverviewHintPauses&) = delete;
    OverviewHintPauses& operator=(const OverviewHintPauses&) = delete;
};

} // namespace

void openTapeOverview(TDataBox& dataBox, TProgressBarForm& progress, QWidget* mainWindow) {
    std::unique_ptr<TBaandOversigtForm, DeleteLater> form(
        new TBaandOversigtForm(dataBox, progress, mainWindow));
    OverviewHintPauses hints;
    // A computation that fails has told the user why; there is no overview to show then.
    if (!framework::guarded([&] { form->startberegnpaneler(); }))
        return;
    form->exec(); // the modal result is not read
    form->hide();
    if (mainWindow)
        mainWindow->repaint();
    form.reset();
}

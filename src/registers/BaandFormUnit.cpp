#include "BaandFormUnit.h"

#include "data/Databoxunit.h"
#include "data/schema.h"
#include "framework/db_grid.h"
#include "framework/text_fit.h"

namespace {

// The lengths the tape-length cell proposes; the cell stays a free entry.
const QStringList kTapeLengths{QStringLiteral("300"), QStringLiteral("240"), QStringLiteral("180"),
                               QStringLiteral("160"), QStringLiteral("120"), QStringLiteral("60"),
                               QStringLiteral("30")};

} // namespace

TBaandForm::TBaandForm(TDataBox& dataBox, QWidget* parent)
    : TGridRegisterForm(
          QStringLiteral("BaandForm"), QStringLiteral("Bånd"), dataBox.BaandSource(),
          {{QStringLiteral("BaandNavn"), QStringLiteral("Bånd navn"), 61, {}},
           {QStringLiteral("Baandlaengde"), QStringLiteral("Længde i min."), 90, kTapeLengths}},
          parent) {
    // Mend of the written width (61), made for a smaller font: the longest tape name shows
    // in full.
    const int tapeNameSize = schema::tapes().field(QStringLiteral("BaandNavn"))->size;
    fitColumnTo(0, framework::widestName(DBGrid1->fontMetrics(), tapeNameSize));
}

#include "GrupperFormUnit.h"

#include "data/Databoxunit.h"

TGrupperForm::TGrupperForm(TDataBox& dataBox, QWidget* parent)
    : TGridRegisterForm(
          QStringLiteral("GrupperForm"), QStringLiteral("Grupper"), dataBox.GruppeSource(),
          {{QStringLiteral("Gruppenavn"), QStringLiteral("Gruppenavn"), 215, {}}}, parent) {}

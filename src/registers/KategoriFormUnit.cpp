#include "KategoriFormUnit.h"

#include "data/Databoxunit.h"

TKategoriForm::TKategoriForm(TDataBox& dataBox, QWidget* parent)
    : TGridRegisterForm(
          QStringLiteral("KategoriForm"), QStringLiteral("Kategorier"), dataBox.KategoriSource(),
          {{QStringLiteral("Kategori"), QStringLiteral("Kategori"), 232, {}}}, parent) {}

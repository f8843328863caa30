#pragma once

#include "grid_register_form.h"

class TDataBox;

// The groups editor: the data module's groups table in a grid (the number is not shown).
class TGrupperForm : public TGridRegisterForm {
    Q_OBJECT
public:
    explicit TGrupperForm(TDataBox& dataBox, QWidget* parent = nullptr);
};

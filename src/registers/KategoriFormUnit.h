#pragma once

#include "grid_register_form.h"

class TDataBox;

// The categories editor: the data module's categories table in a grid.
class TKategoriForm : public TGridRegisterForm {
    Q_OBJECT
public:
    explicit TKategoriForm(TDataBox& dataBox, QWidget* parent = nullptr);
};

#pragma once

#include "grid_register_form.h"

class TDataBox;

// The tapes editor: the data module's tapes table in a grid. Deleting a tape goes through
// the data module's rule, which refuses a tape that still holds recordings.
class TBaandForm : public TGridRegisterForm {
    Q_OBJECT
public:
    explicit TBaandForm(TDataBox& dataBox, QWidget* parent = nullptr);
};

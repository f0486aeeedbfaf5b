#include "ui/FormKit.h"

#include "ui/Forms.h"

TComponent* placementOwner(TWinControl* parent) {
    if (TForm* form = GetParentForm(parent)) return form;
    return parent;
}

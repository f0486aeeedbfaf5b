#include "sales/FormParts.h"

#include "ui/FormKit.h"
#include "ui/StdCtrls.h"

TBitBtn* TButtonColumn::operator()(const char* Name, const char* Caption) {
    auto* made = place<TBitBtn>(panel_, left_, top_, 88, 28, Caption);
    made->SetName(Name);
    top_ += 40;
    return made;
}

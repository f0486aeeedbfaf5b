#include "app/CallerID.h"

#include "app/IncomingCall.h"
#include "serial/SerPort.h"
#include "ui/StdCtrls.h"

TCallerIDLines::TCallerIDLines(TComponent* MainForm, TSerComPort* Port) : TComponent(MainForm), port_(Port) {}

void TCallerIDLines::SerComPort1TriggerAvail(TObject*, uint16_t Count) {
    for (uint16_t i = 0; i < Count; ++i)
        buffer_.append(port_->GetChar());
}

void TCallerIDLines::SerComPort1TriggerData(TObject*, uint16_t) {
    const std::optional<TIncomingCall> call = parseCallerIDLine(buffer_.takeLine());
    if (!call)
        return;
    auto* form = new TIncomingCallForm(Owner());
    form->AfterConstruction();
    form->PhoneNumberLabel->SetCaption(call->Number);
    form->LineLabel->SetCaption(call->Line);
    form->Show();
}

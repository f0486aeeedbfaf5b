#include "reporting/project/DuzuDataSystem.h"

#include "reporting/project/DesignerUtils.h"
#include "ui/Dialogs.h"

TDuzuDataSystem& DuzuDataSystem() {
    static TDuzuDataSystem system;
    return system;
}

bool TDuzuDataSystem::notify(int Code, TRSCustomConnection* Connection) {
    return OnNotify ? OnNotify(Code, Connection) : false;
}

bool TDuzuDataSystem::GainControl() {
    if (controlCount_ > 0) {
        ++controlCount_;
        return true;
    }
    while (!control_.try_lock_for(ControlWait)) {
        int answer = MessageDlg(throughMessageHook("Unable to gain control of DUZU Data Communication System."),
                                mtError, TMsgDlgButtons{mbRetry, mbCancel});
        if (answer != mrRetry) return false;
    }
    ++controlCount_;
    notify(kNotifyControlGained, nullptr);
    return true;
}

void TDuzuDataSystem::ReleaseControl() {
    --controlCount_;
    if (controlCount_ < 0) {
        controlCount_ = 0;
        RaiseDesignerError(throughMessageHook("Control count underflow on ReleaseControl"));
    }
    if (controlCount_ == 0) {
        control_.unlock();
        notify(kNotifyControlReleased, nullptr);
    }
}

TRSCustomConnection* TDuzuDataSystem::OpenConnection(const std::string& Name) {
    TRSCustomConnection* connection = DataConnectManager().Find(Name);
    if (connection != nullptr) notify(kNotifyConnectionOpened, connection);
    return connection;
}

void TDuzuDataSystem::BeginRequest(std::int32_t Kind) {
    TDuzuLinkBuffer& buffer = DuzuLinkBuffer();
    buffer.Reset();
    buffer.WriteInt32(Kind);
}

bool TDuzuDataSystem::ExecuteRequest(TRSCustomConnection* Connection) {
    TDuzuLinkBuffer& buffer = DuzuLinkBuffer();
    if (buffer.Current() != 0) RaiseDesignerError("Data link request too large.");
    buffer.PatchInt32(0, buffer.Position());
    buffer.PatchInt32(4, 0);
    if (notify(kNotifyBeforeRequest, Connection)) return true;
    if (Connection == nullptr || !Connection->HandleRequest()) return false;
    buffer.BeginReadReply();
    return true;
}

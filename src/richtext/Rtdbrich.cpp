#include "richtext/Rtdbrich.h"

#include "base/Streams.h"
#include "data/BlobStream.h"
#include "data/Fields.h"
#include "richtext/RtTbar.h"
#include "ui/MessageBeep.h"

namespace {

// Database icons (group 6).
constexpr int dbNext = 1, dbPrior = 2, dbInsert = 3, dbDelete = 4, dbEdit = 5, dbCancel = 6, dbFirst = 7,
              dbLast = 8, dbPost = 9;
// File-group icon 5 (Close) is only released while the control has the focus.
constexpr int fileClose = 5;

}  // namespace

TDBRtRichText::TDBRtRichText(TComponent* AOwner) : TFieldBinding<TRtCustomRichText>(AOwner) {}

TDBRtRichText::~TDBRtRichText() {
    dataLink_.OnDataChange = nullptr;
    dataLink_.OnEditingChange = nullptr;
    dataLink_.OnUpdateData = nullptr;
    dataLink_.SetDataSource(nullptr);
}

void TDBRtRichText::Notification(TComponent* AComponent, TOperation Operation) {
    TFieldBinding<TRtCustomRichText>::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == DataSource()) SetDataSource(nullptr);
}

bool TDBRtRichText::linkUsable() const {
    TDataSource* source = DataSource();
    return source && source->DataSet() && source->Enabled();
}

bool TDBRtRichText::isBlob() const { return Field() && Field()->IsBlob(); }

void TDBRtRichText::SetReadOnly(bool Value) {
    dataLink_.SetReadOnly(Value);
    RtfText()->ReadOnlyText = Value;
}

bool TDBRtRichText::GetReadOnly() { return dataLink_.ReadOnly(); }

void TDBRtRichText::SetAutoDisplay(bool Value) {
    if (Value == autoDisplay_) return;
    autoDisplay_ = Value;
    if (Value) LoadMemo();
}

// ---------------------------------------------------------------- loading and storing

void TDBRtRichText::LoadMemo() {
    if (memoLoaded_ || !isBlob()) return;
    TMemoryStream memory;
    {
        TBlobStream blob(Field(), bmRead);
        if (blob.Size() > 0) memory.CopyFrom(&blob, blob.Size());
    }
    memory.SetPosition(0);
    loading_ = true;
    RtfText()->ReadOnlyText = false;
    Clear();
    LoadFromStream(&memory);
    loading_ = false;
    memoLoaded_ = true;
    SetModified(false);
    editingChange();
    Invalidate();
}

void TDBRtRichText::showText(const std::string& Text) {
    // The shown value is not an edit: it goes in without asking the dataset.
    bool wasReadOnly = RtfText()->ReadOnlyText;
    RtfText()->ReadOnlyText = false;
    loading_ = true;
    if (Text.empty()) {
        Clear();
    } else {
        TMemoryStream stream;
        stream.Write(Text.data(), static_cast<int64_t>(Text.size()));
        stream.SetPosition(0);
        Clear();
        TRtLoadFormat saved = RtfText()->LoadFormat;
        RtfText()->LoadFormat = FormatANSI;
        LoadFromStream(&stream);
        RtfText()->LoadFormat = saved;
    }
    loading_ = false;
    RtfText()->ReadOnlyText = wasReadOnly;
    SetModified(false);
}

void TDBRtRichText::dataChange() {
    if (loading_ || !linkUsable()) return;
    TMemoFieldView view = memoFieldView(dataLink_, autoDisplay_, memoLoaded_, focused_);
    if (view.Load) {
        memoLoaded_ = false;
        LoadMemo();
    } else {
        showText(view.Text);
        memoLoaded_ = view.Loaded;
    }
    editingChange();
    Invalidate();
}

void TDBRtRichText::editingChange() {
    if (GetReadOnly())
        RtfText()->ReadOnlyText = true;
    else
        RtfText()->ReadOnlyText = !(dataLink_.Editing() && memoLoaded_);
    UpdateToolbarState();
}

void TDBRtRichText::updateData() {
    if (!linkUsable() || !Field()) return;
    if (isBlob()) {
        TMemoryStream memory;
        SaveToStream(&memory);
        memory.SetPosition(0);
        static_cast<TBlobField*>(Field())->LoadFromStream(&memory);
    } else {
        Field()->SetEditText(AsString());
    }
    SetModified(false);
}

// ---------------------------------------------------------------- edits

bool TDBRtRichText::CanChange() {
    try {
        if (!linkUsable()) return false;
        if (!dataLink_.Editing()) {
            TRtRTFTextInput& t = *RtfText();
            t.UpdateLocked = true;
            int top = t.TopOffset, left = t.LeftOffset;
            int ch = 0, line = 0, par = 0, parChar = 0;
            t.GetCursorIndex(ch, line, par, parChar);
            int selStart = SelStart(), selLength = SelLength();
            bool editing = false;
            try {
                editing = dataLink_.Edit();
            } catch (...) {
                t.UpdateLocked = false;
                throw;
            }
            if (selLength > 0) t.SelectRange(selStart, selLength);
            t.TopOffset = top;
            t.LeftOffset = left;
            t.UpdateLocked = false;
            t.UpdateLinePositions();
            t.SetCursorIndex(0, 0, par, parChar);
            t.UpdateCaret();
            Invalidate();
            if (!editing) return false;
        }
        dataLink_.Modified();
        memoLoaded_ = true;
        // The document followed the link's read-only state; editing is now granted.
        if (!GetReadOnly()) RtfText()->ReadOnlyText = false;
        return TFieldBinding<TRtCustomRichText>::CanChange();
    } catch (...) {
        return false;
    }
}

void TDBRtRichText::CutToClipboard() { TFieldBinding<TRtCustomRichText>::CutToClipboard(); }

void TDBRtRichText::PasteFromClipboard() { TFieldBinding<TRtCustomRichText>::PasteFromClipboard(); }

// ---------------------------------------------------------------- keys and mouse

void TDBRtRichText::KeyDown(Word& Key, TShiftState Shift) {
    TFieldBinding<TRtCustomRichText>::KeyDown(Key, Shift);
    if (!memoLoaded_) {
        Key = 0;
        return;
    }
    if (deletesOrPastes(Key, Shift)) dataLink_.Edit();
}

void TDBRtRichText::KeyPress(char& Key) {
    if (!memoLoaded_) {
        if (Key == '\r') LoadMemo();
        Key = 0;
        return;
    }
    unsigned char c = static_cast<unsigned char>(Key);
    if (c >= 32 && Field() && !Field()->IsValidChar(Key)) {
        MessageBeep(0);
        Key = 0;
        return;
    }
    if (Key == 27) {
        dataLink_.Reset();
        Key = 0;
        return;
    }
    bool changing = isTextByte(c) || Key == 8 || Key == 10 || Key == 13 || Key == 22 || Key == 24;
    if (changing && !dataLink_.Editing() && !CanChange()) return;
    TFieldBinding<TRtCustomRichText>::KeyPress(Key);
}

void TDBRtRichText::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TFieldBinding<TRtCustomRichText>::MouseDown(Button, Shift, X, Y);
    if (Shift.Contains(ssDouble) && !memoLoaded_) LoadMemo();
}

void TDBRtRichText::DoEnter() {
    focused_ = true;
    if (!isBlob() && Field()) dataLink_.Reset();
    TFieldBinding<TRtCustomRichText>::DoEnter();
}

void TDBRtRichText::DoExit() {
    if (!isBlob() && Field()) updateRecordOnExit(this, dataLink_);
    focused_ = false;
    if (!isBlob() && Field()) dataLink_.Reset();
    TFieldBinding<TRtCustomRichText>::DoExit();
}

// ---------------------------------------------------------------- toolbar

void TDBRtRichText::UpdateToolbarState() {
    TRtCustomToolPanel* bar = RtToolBar();
    if (!bar) return;
    if (!linkUsable()) {
        for (int num : {dbNext, dbLast, dbPrior, dbFirst, dbInsert, dbDelete, dbEdit, dbCancel, dbPost})
            bar->EnableIcon({}, rtGroupDatabase, false, num);
        return;
    }
    TDataSet* ds = DataSource()->DataSet();
    for (int num : {dbNext, dbLast}) bar->EnableIcon({}, rtGroupDatabase, !ds->Eof(), num);
    for (int num : {dbPrior, dbFirst}) bar->EnableIcon({}, rtGroupDatabase, !ds->Bof(), num);
    bar->EnableIcon({}, rtGroupDatabase, !GetReadOnly(), dbEdit);
    for (int num : {dbPost, dbCancel}) bar->EnableIcon({}, rtGroupDatabase, Modified(), num);
}

void TDBRtRichText::ToolbarIcon(TObject* Sender, TRtSelNr& Typ, const std::string& str, int group, int num,
                                int index) {
    if (group == rtGroupDatabase && linkUsable()) {
        TDataSet* ds = DataSource()->DataSet();
        switch (num) {
        case dbNext: ds->Next(); break;
        case dbPrior: ds->Prior(); break;
        case dbInsert: ds->Insert(); break;
        case dbDelete: ds->Delete(); break;
        case dbEdit: if (!dataLink_.Editing()) ds->Edit(); break;
        case dbCancel: ds->Cancel(); break;
        case dbFirst: ds->First(); break;
        case dbLast: ds->Last(); break;
        case dbPost: ds->Post(); break;
        default: break;
        }
        if (RtToolBar()) RtToolBar()->SetIconUp({}, group, num);
        UpdateToolbarState();
        Typ = rtSelHandled;
        return;
    }
    if (group == rtGroupFile && num == fileClose && focused_) {
        if (RtToolBar()) RtToolBar()->SetIconUp({}, group, num);
        Typ = rtSelHandled;
        return;
    }
    TFieldBinding<TRtCustomRichText>::ToolbarIcon(Sender, Typ, str, group, num, index);
}

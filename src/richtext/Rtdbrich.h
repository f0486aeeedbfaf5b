#pragma once
// TDBRtRichText: the rich-text control bound to one field of a dataset. A
// memo or blob field is loaded as a document (RTF when it begins with
// "{\rtf", plain text otherwise) and written back as RTF, for a rich
// document, when the record is posted; any other field is shown and edited
// as its text. Bytes pass unconverted (Windows-1252 both ways).
//
// MemoLoaded False means the field's content is not in the control: keys
// are swallowed and the document is read-only until AutoDisplay, a double
// click or Enter loads it; the placeholder "(" + DisplayLabel + ")" shows
// meanwhile. CanChange puts the dataset into edit, keeping the cursor, the
// selection and the view. Escape resets the link. The database icons of an
// attached toolbar move, edit, post and cancel the dataset.
#include "richtext/RtRich.h"
#include "ui/FieldBinding.h"

class TDBRtRichText : public TFieldBinding<TRtCustomRichText> {
public:
    explicit TDBRtRichText(TComponent* AOwner);
    ~TDBRtRichText() override;

    bool AutoDisplay() const { return autoDisplay_; }
    void SetAutoDisplay(bool Value);
    bool MemoLoaded() const { return memoLoaded_; }
    bool HasFocus() const { return focused_; }

    void SetReadOnly(bool Value) override;
    bool GetReadOnly() override;
    bool CanChange() override;
    void CutToClipboard() override;
    void PasteFromClipboard() override;
    void ToolbarIcon(TObject* Sender, TRtSelNr& Typ, const std::string& str, int group, int num,
                     int index) override;

    void LoadMemo();
    // Database icons follow the dataset: next/last, prior/first, edit, post/cancel.
    void UpdateToolbarState();

    void Notification(TComponent* AComponent, TOperation Operation) override;

protected:
    void dataChange() override;
    void editingChange() override;
    void updateData() override;

    void DoEnter() override;
    void DoExit() override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(char& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
    bool linkUsable() const;
    bool isBlob() const;
    void showText(const std::string& Text);

    bool autoDisplay_ = true;
    bool focused_ = false;
    bool memoLoaded_ = false;
    bool loading_ = false;
};

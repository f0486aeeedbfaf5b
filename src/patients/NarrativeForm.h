#pragma once
// TNarrativeForm: "Narrative", the rich-text editor with its ruler and
// toolbar over the current exam's NARRATIVE column (IncidentSource).
// Showing it puts the exam into edit; closing it posts the exam. No control
// of the program opens it.
//
// NARRATIVE is a number column: the editor shows the number's text and
// stores only what was changed, so opening and closing without an edit
// leave the stored value alone; a text that is no number is refused with
// the class library's conversion message and the form stays open.
#include "ui/Forms.h"

class TDBRtRichText;
class TRtRuler;
class TRtToolBar;

class TNarrativeForm : public TForm {
public:
    explicit TNarrativeForm(TComponent* AOwner);

    TRtToolBar* RtToolBar1;
    TRtRuler* RtRuler1;
    TDBRtRichText* DBRtRichText1;

    void FormShow(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
};

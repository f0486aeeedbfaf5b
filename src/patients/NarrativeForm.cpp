#include "patients/NarrativeForm.h"

#include "app/DataModule.h"
#include "data/DataSet.h"
#include "richtext/RtRuler.h"
#include "richtext/RtTbar.h"
#include "richtext/Rtdbrich.h"
#include "ui/FormKit.h"
#include "xbase/Qmtable.h"

namespace {

constexpr int ToolBarHeight = 31;
constexpr int RulerHeight = 24;

}  // namespace

TNarrativeForm::TNarrativeForm(TComponent* AOwner) : TForm(AOwner) {
    SetCaption("Narrative");
    SetPosition(poScreenCenter);
    SetBounds(0, 0, 640, 440);
    const int width = ClientWidth();
    RtToolBar1 = place<TRtToolBar>(this, 0, 0, width, ToolBarHeight);
    RtToolBar1->Setsel_ListBoxes({SelFontName, SelFontSize});
    RtToolBar1->Setsel_StatusIcons({SelNormal, SelBold, SelItalic, SelUnder, SelLeft, SelRight, SelCenter});
    RtToolBar1->Setsel_ActionIcons({SelPrint, SelPrintSetup});
    RtToolBar1->Setsel_EditIcons({SelCopy, SelCut, SelPaste});
    RtRuler1 = place<TRtRuler>(this, 0, ToolBarHeight, width, RulerHeight);
    RtRuler1->SetUnits(Inch);
    const int top = ToolBarHeight + RulerHeight;
    DBRtRichText1 = placeBound<TDBRtRichText>(this, 0, top, width, ClientHeight() - top,
                                              DataModule1->IncidentSource, "NARRATIVE");
    DBRtRichText1->SetWordWrap(true);
    DBRtRichText1->SetRtToolBar(RtToolBar1);
    DBRtRichText1->SetRtRuler(RtRuler1);
    bindEvent(OnShow, this, &TNarrativeForm::FormShow);
    bindEvent(OnClose, this, &TNarrativeForm::FormClose);
}

void TNarrativeForm::FormShow(TObject*) { DataModule1->IncidentTable->Edit(); }

void TNarrativeForm::FormClose(TObject*, TCloseAction& Action) {
    TDataSet* exam = DataModule1->IncidentTable;
    // A refused post raises: the form stays open with the text.
    if (exam->State() == dsEdit || exam->State() == dsInsert)
        exam->Post();
    Action = caFree;
}

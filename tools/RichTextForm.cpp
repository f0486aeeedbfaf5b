// A form of the rich-text set for looking at it by eye: a toolbar, a ruler,
// a data-aware editor over the NARRATIVE memo of a small table made in the
// scratch folder, and a status bar. With a file name as argument it saves
// the shown form as a PNG and ends; without one it runs until closed.
#include <filesystem>
#include <string>

#include "data/DbTables.h"
#include "os/Paths.h"
#include "richtext/RtRuler.h"
#include "richtext/RtStatus.h"
#include "richtext/RtTbar.h"
#include "richtext/Rtdbrich.h"
#include "ui/Application.h"
#include "ui/Forms.h"
#include "ui/OffscreenRender.h"
#include "xbase/EngineGlue.h"
#include "xbengine/XbEngine.h"

namespace {

std::string makeTable() {
    std::string folder = os::TempFolder() + "/richtextform";
    std::filesystem::create_directories(folder);
    std::string path = folder + "/incident.dbf";
    std::filesystem::remove(path);
    std::filesystem::remove(folder + "/incident.smt");
    xb_CreateNew(path.c_str(), "", XB_DRIVER_NSX, 2);
    xb_CreateField("ID", "N", 6, 0);
    xb_CreateField("NARRATIVE", "M", 10, 0);
    xb_CreateExec();
    xb_Close();
    xb_Use(path.c_str(), "FILLING", XB_EXCLUSIVE, XB_DRIVER_NSX);
    xb_AppendEx();
    xb_Replace("ID", XB_REPLACE_TEXT, "1");
    xb_Replace("NARRATIVE", XB_REPLACE_MEMO,
               "{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\fs20 Patient reports {\\b blurred} distance "
               "vision.\\par Refraction:\\tab OD -1.25\\tab OS -1.50\\par}");
    xb_Commit();
    xb_Close();
    return folder;
}

}  // namespace

int main(int argc, char** argv) {
    Application->Initialize(argc, argv);
    registerEngineGlue();
    std::string folder = makeTable();

    TForm form(nullptr);
    form.SetBounds(40, 40, 560, 340);
    form.SetCaption("Narrative");
    auto* bar = new TRtToolBar(&form);
    bar->SetParent(&form);
    bar->SetAlign(alTop);
    bar->Setsel_ListBoxes({SelFontName, SelFontSize});
    bar->Setsel_StatusIcons({SelNormal, SelBold, SelItalic, SelUnder, SelLeft, SelRight, SelCenter});
    bar->Setsel_ActionIcons({SelPrint, SelPrintSetup});
    bar->Setsel_EditIcons({SelCopy, SelCut, SelPaste});
    auto* ruler = new TRtRuler(&form);
    ruler->SetParent(&form);
    ruler->SetAlign(alTop);
    ruler->SetHeight(22);
    auto* status = new TRtStatusBarBasic(&form);
    status->SetParent(&form);
    status->Lines()->Add("@$80stStatus");
    status->Lines()->Add("$40stTxtFmt");
    status->Lines()->Add("$stFileName= ");

    auto* table = new TTable(&form);
    table->SetDatabaseName(folder);
    table->SetTableName("incident.dbf");
    table->SetTableType(ttSXNSX);
    auto* source = new TDataSource(&form);
    source->SetDataSet(table);
    auto* editor = new TDBRtRichText(&form);
    editor->SetParent(&form);
    editor->SetAlign(alClient);
    editor->SetWordWrap(true);
    editor->SetRtToolBar(bar);
    editor->SetRtRuler(ruler);
    editor->SetStatusBar(status);
    editor->SetDataSource(source);
    table->Open();
    editor->SetDataField("NARRATIVE");

    form.Show();
    editor->SetFocus();
    Application->ProcessMessages();
    if (argc > 1) {
        renderToPng(&form, argv[1]);
        return 0;
    }
    Application->Run();
    return 0;
}

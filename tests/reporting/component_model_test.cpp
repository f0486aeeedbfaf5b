// The report-project component model: parameters, the child list, pages and
// their size, geometry with anchors and mirrors, and where controls print.
#include <gtest/gtest.h>

#include <memory>

#include "ProjectTestComponents.h"
#include "RecordingReport.h"
#include "reporting/project/DZCsData.h"
#include "reporting/project/DZCsRpt.h"
#include "reporting/project/DZCsStd.h"
#include "reporting/project/DZProj.h"

namespace {

class ComponentModelTest : public ::testing::Test {
protected:
    void SetUp() override { RegisterTestComponents(); }

    TTestText* text(TDuzuComponent* parent, const std::string& name, double left, double top, double width,
                    double height) {
        TComponent* owner = parent->Page() != nullptr ? static_cast<TComponent*>(parent->Page()) : parent;
        auto* t = new TTestText(owner);
        t->SetName(name);
        t->SetParent(parent);
        t->SetBounds(MakeRect(left, top, left + width, top + height));
        return t;
    }

    TDuzuProjectManager manager{nullptr};
};

// Points a fresh Holder's reference at one Target and then at another, frees
// them in turn and checks what the reference shows. Nothing here shares an
// owner, so only the targets' free notification can reach the holder.
template <class Holder, class Target, class SetterOf, class GetterOf, class Value>
void checkReference(const char* What, void (SetterOf::*Set)(Value*), Value* (GetterOf::*Get)() const) {
    SCOPED_TRACE(What);
    auto holder = std::make_unique<Holder>(nullptr);
    auto* first = new Target(nullptr);
    auto* second = new Target(nullptr);
    ((*holder).*Set)(first);
    ((*holder).*Set)(second);
    delete first;  // no longer referred to: must not empty the reference
    EXPECT_EQ(((*holder).*Get)(), second);
    delete second;
    EXPECT_EQ(((*holder).*Get)(), nullptr);
}

TEST(DuzuReferences, AReferenceEmptiesWhenItsTargetIsFreed) {
    using Item = TDuzuProjectItem;
    checkReference<TDuzuPage, TDuzuPage>("goto page", &TDuzuPage::SetGotoPage, &TDuzuPage::GotoPage);
    checkReference<TDuzuPageNumInit, Item>("page number init data view", &TDuzuPageNumInit::SetInitDataView,
                                           &TDuzuPageNumInit::InitDataView);
    checkReference<TDuzuCalcController, TDuzuCalcTotal>("controller init variable",
                                                        &TDuzuCalcController::SetInitCalcVar,
                                                        &TDuzuCalcController::InitCalcVar);
    checkReference<TDuzuText, TDuzuFontMaster>("font mirror", &TDuzuText::SetFontMirror, &TDuzuText::FontMirror);
    checkReference<TDuzuDataText, Item>("lookup data view", &TDuzuDataText::SetLookupDataView,
                                        &TDuzuDataText::LookupDataView);
    checkReference<TDuzuDataText, Item>("text data view", &TDuzuDataText::SetDataView, &TDuzuDataText::DataView);
    checkReference<TDuzuCalcTotal, TDuzuCalcController>("total controller", &TDuzuCalcTotal::SetController,
                                                        &TDuzuCalcTotal::Controller);
    checkReference<TDuzuCalcTotal, TDuzuCalcController>("total initializer", &TDuzuCalcTotal::SetInitializer,
                                                        &TDuzuCalcTotal::Initializer);
    checkReference<TDuzuDataBand, TDuzuDataBand>("controller band", &TDuzuDataBand::SetControllerBand,
                                                 &TDuzuDataBand::ControllerBand);
    checkReference<TDuzuDataBand, Item>("group data view", &TDuzuDataBand::SetGroupDataView,
                                        &TDuzuDataBand::GroupDataView);
    checkReference<TDuzuDataBand, Item>("band data view", &TDuzuDataBand::SetDataView, &TDuzuDataBand::DataView);
    checkReference<TDuzuDataBand, Item>("band master view", &TDuzuDataBand::SetMasterDataView,
                                        &TDuzuDataBand::MasterDataView);
    checkReference<TDuzuDataCycle, Item>("cycle data view", &TDuzuDataCycle::SetDataView, &TDuzuDataCycle::DataView);
}

TEST_F(ComponentModelTest, ParametersTurnAngleBracketsIntoUnderscores) {
    TStringList lines;
    lines.Add("A<B>");
    lines.Add("plain");
    TDuzuProjectItem item(nullptr);
    item.SetParameters(&lines);
    EXPECT_EQ(item.Parameters()->CommaText(), "A_B_,plain");
}

TEST_F(ComponentModelTest, MoveChildKeepsTheListWhenTheMoveWouldLeaveIt) {
    TDuzuPage page(nullptr);
    TTestText* a = text(&page, "A", 0, 0, 1, 1);
    TTestText* b = text(&page, "B", 0, 0, 1, 1);
    TTestText* c = text(&page, "C", 0, 0, 1, 1);
    auto order = [&] {
        std::string names;
        for (int i = 0; i < page.GetChildCount(); ++i) names += page.GetChild(i)->Name();
        return names;
    };
    struct Case {
        TDuzuComponent* child;
        int how;
        const char* expected;
    };
    const Case cases[] = {
        {a, 2, "ABC"}, {c, 3, "ABC"}, {a, 3, "BAC"}, {c, 1, "CBA"}, {c, 9, "BAC"}, {a, 2, "ABC"},
    };
    for (const Case& k : cases) {
        page.MoveChild(k.child, k.how);
        EXPECT_EQ(order(), k.expected) << k.child->Name() << " " << k.how;
    }
    EXPECT_EQ(b->GetChildIndex(), 1);
}

TEST_F(ComponentModelTest, OnlyContainersTakeChildren) {
    TDuzuPage page(nullptr);
    TTestText* a = text(&page, "A", 0, 0, 1, 1);
    auto* b = new TTestText(&page);
    try {
        b->SetParent(a);
        FAIL() << "a text took a child";
    } catch (const EDuzuClass& e) {
        EXPECT_EQ(e.Message(), "Class cannot accept children classes: \"TTestText\"");
    }
    EXPECT_EQ(b->Parent(), nullptr);
    EXPECT_EQ(a->GetChild(0), nullptr);
}

TEST_F(ComponentModelTest, PagesFollowTheProjectUnitsAndSwapSidesForLandscape) {
    manager.SetUnitsFactor(25.4);
    TDuzuPage* page = manager.NewReport()->NewPage();
    EXPECT_DOUBLE_EQ(page->GridSpacing(), 0.1 / 25.4);

    page->SetOrientation(TOrientation::poLandScape);
    EXPECT_EQ(page->PageWidth(), 11.0);
    EXPECT_EQ(page->PageHeight(), 8.5);
    EXPECT_EQ(page->PaperSize(), -1);
    page->SetPageWidth(0.00001);  // too small: ignored
    EXPECT_EQ(page->PageWidth(), 11.0);
    page->SetPageWidth(14);
    EXPECT_EQ(page->PaperSize(), 256);
}

TEST_F(ComponentModelTest, AnchoredControlsKeepTheirFarEdge) {
    TDuzuPage page(nullptr);
    auto* band = new TTestBand(&page);
    band->SetParent(&page);
    band->SetBounds(MakeRect(0, 0, 4, 2));
    TTestText* right = text(band, "Right", 3, 0, 1, 1);
    right->SetAnchor(0x11);
    TTestText* plain = text(band, "Plain", 1, 1, 1, 1);

    band->SetWidth(6);
    band->SetHeight(3);
    EXPECT_EQ(right->Left(), 5);
    EXPECT_EQ(right->Top(), 1);
    EXPECT_EQ(plain->Left(), 1);
    EXPECT_EQ(plain->Top(), 1);

    band->SetAnchor(0x01);  // its own right edge stays
    band->SetWidth(5);
    EXPECT_EQ(band->Left(), 1);
    EXPECT_EQ(band->Right(), 6);
}

TEST_F(ComponentModelTest, MirrorsTakeEverythingButNameLocksAndPosition) {
    TDuzuPage page(nullptr);
    TTestText* source = text(&page, "Source", 1, 1, 2, 0.5);
    TTestText* copy = text(&page, "Copy", 5, 6, 1, 1);
    source->SetText("total");
    source->SetLocked(true);
    copy->SetMirror(source);
    source->SetLeft(2);  // a change is passed on
    EXPECT_EQ(copy->Text(), "total");
    EXPECT_EQ(copy->Width(), 2);
    EXPECT_EQ(copy->Height(), 0.5);
    EXPECT_EQ(copy->Left(), 5);
    EXPECT_EQ(copy->Top(), 6);
    EXPECT_EQ(copy->Name(), "Copy");
    EXPECT_FALSE(copy->Locked());
    EXPECT_EQ(copy->Mirror(), source);

    auto* band = new TTestBand(&page);
    band->SetParent(&page);
    band->SetMirror(source);  // neither class derives from the other
    EXPECT_EQ(band->Mirror(), nullptr);
    delete source;
    EXPECT_EQ(copy->Mirror(), nullptr);
}

TEST_F(ComponentModelTest, WasteFitPullsControlsIntoThePrintableArea) {
    TestDevice device(300, 0.25);
    TRecordingReport engine(&device);
    TDuzuPage page(nullptr);
    page.SetWasteFit(true);
    TTestText* edge = text(&page, "Edge", 0, 2, 3, 1);
    TTestText* inside = text(&page, "Inside", 1, 1, 2, 1);
    page.BeforeReport();
    engine.Run([&](TRecordingReport& report) { page.Print(&report); });
    EXPECT_DOUBLE_EQ(edge->Left(), 0.25 + 0.01);
    EXPECT_DOUBLE_EQ(edge->Right(), 3);
    EXPECT_EQ(edge->Top(), 2);
    EXPECT_EQ(inside->Left(), 1);
    EXPECT_EQ(inside->Width(), 2);
    page.ResetLayout();
    EXPECT_EQ(edge->Left(), 0);
}

TEST_F(ComponentModelTest, DisplayOnChoosesTheOutputsOfEachControl) {
    TestDevice device;
    TRecordingReport preview(&device, DestPreview);
    TDuzuPage page(nullptr);
    auto* band = new TTestBand(&page);
    band->SetParent(&page);
    band->SetDisplayOn(doAll);
    TTestText* printerOnly = text(band, "PrinterOnly", 0, 0, 1, 1);
    printerOnly->SetDisplayOn(doPrinterOnly);
    printerOnly->SetText("printer");
    TTestText* sibling = text(band, "Sibling", 0, 0, 1, 1);
    sibling->SetText("both");
    preview.Run([&](TRecordingReport& report) { page.Print(&report); });
    ASSERT_EQ(preview.Output.size(), 1u);
    EXPECT_EQ(preview.Output[0].Text, "both");
}

}  // namespace

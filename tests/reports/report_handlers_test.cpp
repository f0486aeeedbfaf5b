// Every report form binds the runner and shell handlers it declares: each
// registered form is made as the menu makes it, and every handler its class
// (or a base of it in this folder) declares as ReportSystem1<Event> or
// ReportShell1<Event> must be the one its component's event calls. A
// handler named after no event, or one left unbound, fails here instead of
// silently never running.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "base/Classes.h"
#include "reporting/RSShell.h"
#include "reporting/RSSystem.h"
#include "reports/ReportForms.h"
#include "support/ShopFixture.h"

namespace {

struct DeclaredClass {
    std::string base;
    std::vector<std::string> handlers;  // "ReportShell1RowPrint"
};

// The classes of the folder's headers with the handlers each declares.
std::map<std::string, DeclaredClass> readDeclarations() {
    static const std::regex head(R"re(class (T\w+)(?: final)? : public (?:TShellReport<)?(T\w+))re");
    static const std::regex handler(R"re(void ((?:ReportSystem1|ReportShell1)\w+)\()re");
    std::map<std::string, DeclaredClass> classes;
    for (const auto& entry : std::filesystem::directory_iterator(QM_SOURCE_DIR "/src/reports")) {
        if (entry.path().extension() != ".h") continue;
        std::ifstream in(entry.path());
        std::stringstream text;
        text << in.rdbuf();
        const std::string source = text.str();
        for (std::sregex_iterator it(source.begin(), source.end(), head), end; it != end; ++it) {
            DeclaredClass& declared = classes[(*it)[1]];
            declared.base = (*it)[2];
            const auto bodyBegin = source.begin() + it->position() + it->length();
            const auto bodyEnd = source.begin() + source.find("\n};", it->position());
            for (std::sregex_iterator h(bodyBegin, bodyEnd, handler); h != std::sregex_iterator(); ++h)
                declared.handlers.push_back((*h)[1]);
        }
    }
    return classes;
}

using EventSet = std::function<bool(TComponent*)>;

template <class Component, class Event>
EventSet isSet(Event Component::*event) {
    return [event](TComponent* c) {
        auto* component = dynamic_cast<Component*>(c);
        return component && static_cast<bool>(component->*event);
    };
}

// The events a handler can be named after, by the component's name.
const std::map<std::string, EventSet>& events() {
    static const std::map<std::string, EventSet> table = {
        {"ReportSystem1Print", isSet(&TReportSystem::OnPrint)},
        {"ReportSystem1BeforePrint", isSet(&TReportSystem::OnBeforePrint)},
        {"ReportSystem1AfterPrint", isSet(&TReportSystem::OnAfterPrint)},
        {"ReportSystem1NewPage", isSet(&TReportSystem::OnNewPage)},
        {"ReportSystem1NewColumn", isSet(&TReportSystem::OnNewColumn)},
        {"ReportSystem1PrintHeader", isSet(&TReportSystem::OnPrintHeader)},
        {"ReportSystem1PrintFooter", isSet(&TReportSystem::OnPrintFooter)},
        {"ReportSystem1EndOfSection", isSet(&TReportSystem::OnEndOfSection)},
        {"ReportSystem1PreviewSetup", isSet(&TReportSystem::OnPreviewSetup)},
        {"ReportSystem1PreviewShow", isSet(&TReportSystem::OnPreviewShow)},
        {"ReportShell1ReportBefore", isSet(&TReportShell::OnReportBefore)},
        {"ReportShell1ReportHeader", isSet(&TReportShell::OnReportHeader)},
        {"ReportShell1PageBefore", isSet(&TReportShell::OnPageBefore)},
        {"ReportShell1PageHeader", isSet(&TReportShell::OnPageHeader)},
        {"ReportShell1BodyBefore", isSet(&TReportShell::OnBodyBefore)},
        {"ReportShell1BodyHeader", isSet(&TReportShell::OnBodyHeader)},
        {"ReportShell1GroupBeforeFirst", isSet(&TReportShell::OnGroupBeforeFirst)},
        {"ReportShell1GroupBefore", isSet(&TReportShell::OnGroupBefore)},
        {"ReportShell1GroupHeader", isSet(&TReportShell::OnGroupHeader)},
        {"ReportShell1DetailBefore", isSet(&TReportShell::OnDetailBefore)},
        {"ReportShell1RowBefore", isSet(&TReportShell::OnRowBefore)},
        {"ReportShell1RowPrint", isSet(&TReportShell::OnRowPrint)},
        {"ReportShell1RowAfter", isSet(&TReportShell::OnRowAfter)},
        {"ReportShell1DetailAfter", isSet(&TReportShell::OnDetailAfter)},
        {"ReportShell1GroupFooter", isSet(&TReportShell::OnGroupFooter)},
        {"ReportShell1GroupAfter", isSet(&TReportShell::OnGroupAfter)},
        {"ReportShell1GroupAfterLast", isSet(&TReportShell::OnGroupAfterLast)},
        {"ReportShell1BodyFooter", isSet(&TReportShell::OnBodyFooter)},
        {"ReportShell1BodyAfter", isSet(&TReportShell::OnBodyAfter)},
        {"ReportShell1PageFooter", isSet(&TReportShell::OnPageFooter)},
        {"ReportShell1PageAfter", isSet(&TReportShell::OnPageAfter)},
        {"ReportShell1ReportFooter", isSet(&TReportShell::OnReportFooter)},
        {"ReportShell1ReportAfter", isSet(&TReportShell::OnReportAfter)},
    };
    return table;
}

class ReportHandlersTest : public ShopTest {};

TEST_F(ReportHandlersTest, EveryDeclaredHandlerOfEveryReportFormIsBound) {
    registerReportForms();
    const auto classes = readDeclarations();
    // The scan reads the folder at all (a moved folder would otherwise pass).
    ASSERT_TRUE(classes.count("TTrialBalanceForm"));
    for (const auto& [name, declared] : classes) {
        const TPersistentClass* registered = GetClass(name);
        if (!registered) continue;
        std::unique_ptr<TPersistent> made(registered->Create(nullptr));
        auto* form = dynamic_cast<TComponent*>(made.get());
        ASSERT_NE(form, nullptr) << name;
        for (std::string cls = name; classes.count(cls); cls = classes.at(cls).base) {
            for (const std::string& handler : classes.at(cls).handlers) {
                const auto event = events().find(handler);
                ASSERT_NE(event, events().end()) << cls << "::" << handler << " is named after no event";
                const std::string component = handler.rfind("ReportShell1", 0) == 0 ? "ReportShell1" : "ReportSystem1";
                EXPECT_TRUE(event->second(form->FindComponent(component)))
                    << name << ": " << cls << "::" << handler << " is declared and not bound";
            }
        }
    }
}

}  // namespace

#pragma once
// Components for the project tests: a text control that records its prints
// and may refuse to be done, a band that holds controls, and a control that
// accepts no page as its parent; a dump of a component tree with every
// published property, for comparing trees.
#include <string>

#include "reporting/project/DZClass.h"

class TTestText : public TDuzuControl {
public:
    explicit TTestText(TComponent* AOwner) : TDuzuControl(AOwner) {}
    const std::string& Text() const { return text_; }
    void SetText(const std::string& Value) { text_ = Value; }
    int Count() const { return count_; }
    void SetCount(int Value) { count_ = Value; }
    TDuzuControl* Link() const { return link_; }
    void SetLink(TDuzuControl* Value) { link_ = Value; }

    bool NeverDone = false;
    int Prints = 0;
    bool IsDone() const override { return !NeverDone; }
    void PrintSelf(TBaseReport* Engine) override;

private:
    std::string text_;
    int count_ = 0;
    TDuzuControl* link_ = nullptr;
};

class TTestBand : public TDuzuContainerControl {
public:
    explicit TTestBand(TComponent* AOwner) : TDuzuContainerControl(AOwner) {}
};

class TTestPicky : public TTestText {
public:
    explicit TTestPicky(TComponent* AOwner) : TTestText(AOwner) {}
    bool AcceptParent(const TDuzuComponent* NewParent) const override;
};

void RegisterTestComponents();

// Class, name, published properties (references as "Owner.Name") and
// children, one line each, indented by depth.
std::string DumpTree(const TDuzuComponent* Root);

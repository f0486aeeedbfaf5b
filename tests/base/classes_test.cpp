#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "base/Classes.h"
#include "base/Exceptions.h"
#include "support/TempDir.h"

namespace {

// A component that records its own destruction and clears a reference to
// another component when told that one goes away.
class TProbe : public TComponent {
public:
    explicit TProbe(TComponent* AOwner, std::vector<std::string>* log = nullptr) : TComponent(AOwner), log_(log) {}
    ~TProbe() override {
        if (log_)
            log_->push_back("free " + Name() + (ComponentState().Contains(csDestroying) ? " destroying" : "") +
                            (Target ? " with target" : ""));
    }

    void SetTarget(TComponent* target) {
        Target = target;
        if (target) target->FreeNotification(this);
    }

    void Notification(TComponent* AComponent, TOperation Operation) override {
        TComponent::Notification(AComponent, Operation);
        if (log_ && Operation == opInsert && !Name().empty()) log_->push_back(Name() + " insert");
        if (Operation == opRemove && AComponent == Target) Target = nullptr;
    }

    TComponent* Target = nullptr;

private:
    std::vector<std::string>* log_;
};

class TPlainItem : public TPersistent {};

template <class E>
std::string messageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const E& e) {
        return e.Message();
    }
    return "(no exception)";
}

std::vector<std::string> linesOf(const TStrings& list) {
    std::vector<std::string> result;
    for (int i = 0; i < list.Count(); ++i) result.push_back(list.Strings(i));
    return result;
}

void setLines(TStrings& list, const std::vector<std::string>& lines) {
    list.Clear();
    for (const std::string& s : lines) list.Add(s);
}

}  // namespace

namespace other {
class TPlainItem : public TPersistent {};
}  // namespace other

// ---------------------------------------------------------------------------
// Class names and the class registry

TEST(ClassRegistryTest, CreatesRegisteredClassesByNameWithoutRegardToCase) {
    RegisterClass<TProbe>();
    RegisterClass<TPlainItem>();
    RegisterClass<TProbe>();  // again: harmless

    TComponent owner(nullptr);
    const TPersistentClass& probeClass = FindClass("tprobe");
    EXPECT_TRUE(probeClass.IsComponentClass());
    TPersistent* made = probeClass.Create(&owner);
    EXPECT_EQ(made->ClassName(), "TProbe");
    ASSERT_EQ(owner.ComponentCount(), 1);
    EXPECT_EQ(owner.Components(0), made);

    const TPersistentClass* itemClass = GetClass("TPLAINITEM");
    ASSERT_NE(itemClass, nullptr);
    EXPECT_FALSE(itemClass->IsComponentClass());
    std::unique_ptr<TPersistent> item(itemClass->Create(&owner));
    EXPECT_TRUE(item->ClassNameIs("tplainitem"));
    EXPECT_EQ(owner.ComponentCount(), 1);
}

TEST(ClassRegistryTest, UnknownAndClashingNames) {
    EXPECT_EQ(GetClass("TNoSuchClass"), nullptr);
    EXPECT_EQ(messageOf<EClassNotFound>([] { FindClass("TNoSuchClass"); }), "Class TNoSuchClass not found");

    RegisterClass<TPlainItem>();
    EXPECT_EQ(messageOf<EFilerError>([] { RegisterClass<other::TPlainItem>(); }),
              "A class named TPlainItem already exists");

    UnRegisterClass("TPlainItem");
    EXPECT_EQ(GetClass("TPlainItem"), nullptr);
}

TEST(PersistentTest, AssignBetweenUnrelatedClassesIsRefused) {
    TStringList list;
    TPlainItem item;
    EXPECT_EQ(messageOf<EConvertError>([&] { list.Assign(&item); }), "Cannot assign a TPlainItem to a TStringList");
    EXPECT_EQ(messageOf<EConvertError>([&] { item.Assign(&list); }), "Cannot assign a TStringList to a TPlainItem");
    EXPECT_EQ(messageOf<EConvertError>([&] { list.Assign(nullptr); }), "Cannot assign a nil to a TStringList");
}

// ---------------------------------------------------------------------------
// Components: ownership, names, notification, state

TEST(ComponentTest, OwnerFreesWhatItOwnsLastFirst) {
    std::vector<std::string> log;
    auto* form = new TProbe(nullptr, &log);
    form->SetName("Form");
    auto* panel = new TProbe(form, &log);
    panel->SetName("Panel");
    auto* button = new TProbe(panel, &log);
    button->SetName("Button");
    auto* label = new TProbe(form, &log);
    label->SetName("Label");
    log.clear();

    delete form;
    // Children see csDestroying before their own destructor runs.
    EXPECT_EQ(log, (std::vector<std::string>{"free Form", "free Label destroying", "free Panel destroying",
                                             "free Button destroying"}));
}

TEST(ComponentTest, FreeingAChildDirectlyTakesItOutOfItsOwner) {
    TComponent owner(nullptr);
    auto* a = new TComponent(&owner);
    auto* b = new TComponent(&owner);
    EXPECT_EQ(b->ComponentIndex(), 1);
    delete a;
    ASSERT_EQ(owner.ComponentCount(), 1);
    EXPECT_EQ(owner.Components(0), b);
    EXPECT_EQ(b->ComponentIndex(), 0);
    EXPECT_EQ(messageOf<EListError>([&] { owner.Components(1); }), "List index out of bounds (1)");

    TComponent other(nullptr);
    other.InsertComponent(b);  // moves it to its new owner
    EXPECT_EQ(owner.ComponentCount(), 0);
    EXPECT_EQ(b->Owner(), &other);
}

TEST(ComponentTest, NamesMustBeIdentifiersUniqueAmongSiblings) {
    struct Case {
        const char* name;
        bool valid;
    } cases[] = {
        {"Button1", true}, {"_x", true},  {"", true},         {"1Button", false},
        {"Ok Btn", false}, {"a.b", false}, {"Caf\xE9", false}, {"x-y", false},
    };
    TComponent owner(nullptr);
    for (const Case& c : cases) {
        auto* component = new TComponent(&owner);
        if (c.valid) {
            EXPECT_NO_THROW(component->SetName(c.name)) << c.name;
        } else {
            EXPECT_EQ(messageOf<EComponentError>([&] { component->SetName(c.name); }),
                      "'" + std::string(c.name) + "' is not a valid component name");
        }
    }

    auto* first = new TComponent(&owner);
    first->SetName("OkBtn");
    auto* second = new TComponent(&owner);
    EXPECT_EQ(messageOf<EComponentError>([&] { second->SetName("OKBTN"); }), "A component named OKBTN already exists");
    EXPECT_EQ(second->Name(), "");
    EXPECT_NO_THROW(first->SetName("OKBtn"));  // a change of case only
    EXPECT_EQ(owner.FindComponent("okbtn"), first);
    EXPECT_EQ(owner.FindComponent(""), nullptr);

    TComponent elsewhere(nullptr);
    auto* stranger = new TComponent(&elsewhere);
    stranger->SetName("OkBtn");  // another owner: no clash
    EXPECT_EQ(messageOf<EComponentError>([&] { owner.InsertComponent(stranger); }),
              "A component named OkBtn already exists");
    EXPECT_EQ(stranger->Owner(), &elsewhere);
}

TEST(ComponentTest, FreeNotificationClearsReferencesAcrossOwners) {
    // The referrer lives on another owner, so only FreeNotification tells it.
    struct Case {
        const char* what;
        bool freeTargetOwner;  // else free the target itself
    } cases[] = {{"target freed", false}, {"target's owner freed", true}};
    for (const Case& c : cases) {
        auto* dataModule = new TComponent(nullptr);
        auto* source = new TComponent(dataModule);
        TComponent form(nullptr);
        auto* grid = new TProbe(&form);
        grid->SetTarget(source);

        if (c.freeTargetOwner)
            delete dataModule;
        else
            delete source;
        EXPECT_EQ(grid->Target, nullptr) << c.what;
        if (!c.freeTargetOwner) delete dataModule;
    }
}

TEST(ComponentTest, RemovedFreeNotificationIsNotSent) {
    TComponent dataModule(nullptr);
    auto* source = new TComponent(&dataModule);
    TProbe grid(nullptr);
    grid.SetTarget(source);
    grid.RemoveFreeNotification(source);
    TComponent* stale = source;
    delete source;
    EXPECT_EQ(grid.Target, stale);  // not told
    grid.Target = nullptr;
}

// A component pointing at another through a TComponentRef, counting the
// times the reference was emptied under it.
class TPointer : public TComponent {
public:
    explicit TPointer(TComponent* AOwner) : TComponent(AOwner) {}
    TComponentRef<TComponent> Target{this, [this] { ++Cleared; }};
    int Cleared = 0;
};

TEST(ComponentRefTest, EmptiesWhenTheTargetGoes) {
    struct Case {
        const char* what;
        bool sameOwner;    // the target is a sibling of the holder
        int ending;        // 0 target freed, 1 target's owner freed, 2 target leaves the owner
    } cases[] = {{"target freed", false, 0},
                 {"target's owner freed", false, 1},
                 {"sibling freed", true, 0},
                 {"sibling removed from the owner", true, 2}};
    for (const Case& c : cases) {
        auto* dataModule = new TComponent(nullptr);
        TComponent form(nullptr);
        auto* target = new TComponent(c.sameOwner ? &form : dataModule);
        auto* grid = new TPointer(&form);
        grid->Target.set(target);
        ASSERT_EQ(grid->Target.get(), target) << c.what;

        if (c.ending == 0) delete target;
        if (c.ending == 1) delete dataModule;
        if (c.ending == 2) form.RemoveComponent(target);
        EXPECT_EQ(grid->Target.get(), nullptr) << c.what;
        EXPECT_EQ(grid->Cleared, 1) << c.what;
        if (c.ending == 2) delete target;
        if (c.ending != 1) delete dataModule;
    }
}

TEST(ComponentRefTest, RepointingForgetsTheFormerTarget) {
    TComponent dataModule(nullptr);
    auto* first = new TComponent(&dataModule);
    auto* second = new TComponent(&dataModule);
    TPointer grid(nullptr);
    grid.Target.set(first);
    grid.Target.set(second);
    delete first;  // no longer held: the reference stays
    EXPECT_EQ(grid.Target.get(), second);
    EXPECT_EQ(grid.Cleared, 0);
    grid.Target.set(nullptr);
    delete second;
    EXPECT_EQ(grid.Cleared, 0);
}

TEST(ComponentRefTest, HolderFreedFirstIsNotTold) {
    TComponent dataModule(nullptr);
    auto* source = new TComponent(&dataModule);
    int cleared = 0;
    {
        TComponent form(nullptr);
        auto* grid = new TPointer(&form);
        grid->Target.set(source);
        grid->Target.OnClear = [&cleared] { ++cleared; };
    }
    delete source;  // must not reach the freed holder
    EXPECT_EQ(cleared, 0);
    EXPECT_EQ(dataModule.ComponentCount(), 0);
}

TEST(ComponentTest, SiblingsHearOfEachOtherThroughTheOwner) {
    std::vector<std::string> log;
    TProbe form(nullptr, &log);
    form.SetName("Form");
    auto* source = new TComponent(&form);
    auto* grid = new TProbe(&form, &log);
    grid->SetName("Grid");
    grid->Target = source;  // no FreeNotification asked
    auto* late = new TComponent(&form);
    EXPECT_EQ(log, (std::vector<std::string>{"Form insert", "Form insert", "Grid insert", "Form insert"}));

    delete source;
    EXPECT_EQ(grid->Target, nullptr);
    delete late;
}

TEST(ComponentTest, SiblingReferenceIsClearedWhileTheOwnerFreesThem) {
    // The owner frees the source (created last) before the grid that refers
    // to it; the grid must not be left holding the freed source.
    std::vector<std::string> log;
    auto* form = new TComponent(nullptr);
    auto* grid = new TProbe(form, &log);
    grid->SetName("Grid");
    auto* source = new TComponent(form);
    grid->Target = source;
    log.clear();
    delete form;
    EXPECT_EQ(log, (std::vector<std::string>{"free Grid destroying"}));
}

TEST(ComponentTest, StateDesigningSpreadsLoadingEndsAtLoaded) {
    TComponent owner(nullptr);
    auto* before = new TComponent(&owner);
    owner.SetDesigning(true);
    auto* after = new TComponent(&owner);
    EXPECT_TRUE(before->ComponentState().Contains(csDesigning));
    EXPECT_TRUE(after->ComponentState().Contains(csDesigning));

    after->SetLoading(true);
    after->SetReading(true);
    EXPECT_TRUE(after->ComponentState().Contains(csLoading));
    after->SetReading(false);
    after->Loaded();
    EXPECT_FALSE(after->ComponentState().Contains(csLoading));
    EXPECT_FALSE(after->ComponentState().Contains(csReading));
    EXPECT_FALSE(owner.ComponentState().Contains(csDestroying));
}

// ---------------------------------------------------------------------------
// TList and TObjectList

TEST(ListTest, IndexErrorsNameTheBadIndex) {
    TList list;
    int a = 1, b = 2;
    list.Add(&a);
    list.Add(&b);
    struct Case {
        const char* what;
        std::function<void()> action;
        int index;
    } cases[] = {
        {"Items", [&] { list.Items(2); }, 2},           {"Items negative", [&] { list.Items(-1); }, -1},
        {"Delete", [&] { list.Delete(5); }, 5},         {"Insert past end", [&] { list.Insert(3, &a); }, 3},
        {"Exchange", [&] { list.Exchange(0, 2); }, 2},  {"Move", [&] { list.Move(0, 2); }, 2},
        {"SetItems", [&] { list.SetItems(9, &a); }, 9},
    };
    for (const Case& c : cases)
        EXPECT_EQ(messageOf<EListError>(c.action), "List index out of bounds (" + std::to_string(c.index) + ")")
            << c.what;
    EXPECT_EQ(list.Count(), 2);
}

TEST(ListTest, ReorderingAndSearching) {
    int v[5] = {30, 10, 50, 20, 40};
    TList list;
    for (int& x : v) list.Add(&x);
    auto values = [&] {
        std::vector<int> r;
        for (int i = 0; i < list.Count(); ++i) r.push_back(*static_cast<int*>(list.Items(i)));
        return r;
    };
    list.Insert(list.Count(), &v[0]);  // inserting at the end is allowed
    EXPECT_EQ(list.Remove(&v[0]), 0);  // the first occurrence
    EXPECT_EQ(values(), (std::vector<int>{10, 50, 20, 40, 30}));
    list.Move(0, 3);
    EXPECT_EQ(values(), (std::vector<int>{50, 20, 40, 10, 30}));
    list.Exchange(0, 4);
    EXPECT_EQ(values(), (std::vector<int>{30, 20, 40, 10, 50}));
    list.Sort([](void* x, void* y) { return *static_cast<int*>(x) - *static_cast<int*>(y); });
    EXPECT_EQ(values(), (std::vector<int>{10, 20, 30, 40, 50}));
    EXPECT_EQ(list.IndexOf(&v[2]), 4);
    EXPECT_EQ(list.Remove(nullptr), -1);
}

namespace {
struct TCounted : TObject {
    explicit TCounted(int* alive) : alive_(alive) { ++*alive_; }
    ~TCounted() override { --*alive_; }
    int* alive_;
};
}  // namespace

TEST(ListTest, ObjectListFreesWhatLeavesItOnlyWhenOwning) {
    int alive = 0;
    {
        TObjectList owning;
        for (int i = 0; i < 4; ++i) owning.Add(new TCounted(&alive));
        owning.Delete(0);
        EXPECT_EQ(alive, 3);
        owning.Remove(owning.Items(0));
        EXPECT_EQ(alive, 2);
        owning.SetItems(0, new TCounted(&alive));  // the replaced one is freed
        EXPECT_EQ(alive, 2);
        owning.SetItems(0, owning.Items(0));  // the same one again: kept
        EXPECT_EQ(alive, 2);
    }
    EXPECT_EQ(alive, 0);

    std::vector<std::unique_ptr<TCounted>> kept;
    {
        TObjectList borrowing(false);
        for (int i = 0; i < 3; ++i) {
            kept.push_back(std::make_unique<TCounted>(&alive));
            borrowing.Add(kept.back().get());
        }
        borrowing.Clear();
    }
    EXPECT_EQ(alive, 3);
}

// ---------------------------------------------------------------------------
// TStringList

TEST(StringListTest, SortedDuplicatesAndCase) {
    struct Case {
        const char* what;
        bool caseSensitive;
        TDuplicates duplicates;
        std::vector<std::string> adds;
        std::vector<std::string> expected;
        bool raises;
    } cases[] = {
        {"ignore", false, dupIgnore, {"pear", "Apple", "PEAR", "fig"}, {"Apple", "fig", "pear"}, false},
        {"accept", false, dupAccept, {"b", "a", "B"}, {"a", "B", "b"}, false},
        {"error", false, dupError, {"x", "y", "X"}, {"x", "y"}, true},
        {"case-sensitive ignore", true, dupIgnore, {"b", "B", "a", "b"}, {"a", "b", "B"}, false},
        {"accented letters fold", false, dupIgnore, {"\xE9t\xE9", "\xC9T\xC9"}, {"\xE9t\xE9"}, false},
    };
    for (const Case& c : cases) {
        TStringList list;
        list.SetCaseSensitive(c.caseSensitive);
        list.SetDuplicates(c.duplicates);
        list.SetSorted(true);
        std::string message;
        for (const std::string& s : c.adds) {
            try {
                list.Add(s);
            } catch (const EStringListError& e) {
                message = e.Message();
            }
        }
        EXPECT_EQ(linesOf(list), c.expected) << c.what;
        EXPECT_EQ(message, c.raises ? "String list does not allow duplicates" : "") << c.what;
        for (const std::string& s : c.expected) EXPECT_GE(list.IndexOf(s), 0) << c.what << " " << s;
    }
}

TEST(StringListTest, FindAndIndexOfOnSortedAndUnsortedLists) {
    TStringList list;
    setLines(list, {"delta", "Alpha", "charlie", "bravo"});
    EXPECT_EQ(list.IndexOf("CHARLIE"), 2);  // case-insensitive by default
    list.SetCaseSensitive(true);
    EXPECT_EQ(list.IndexOf("CHARLIE"), -1);
    list.SetCaseSensitive(false);

    list.SetSorted(true);
    EXPECT_EQ(linesOf(list), (std::vector<std::string>{"Alpha", "bravo", "charlie", "delta"}));
    int index = -1;
    EXPECT_TRUE(list.Find("BRAVO", index));
    EXPECT_EQ(index, 1);
    EXPECT_FALSE(list.Find("caesar", index));
    EXPECT_EQ(index, 2);  // where it would go
    EXPECT_EQ(messageOf<EStringListError>([&] { list.Insert(0, "zulu"); }), "Operation not allowed on sorted list");
}

TEST(StringListTest, ChangingCaseSensitivityResortsASortedList) {
    TStringList list;
    list.SetDuplicates(dupAccept);
    list.SetSorted(true);
    list.Add("a");
    list.Add("A");  // equal without regard to case: goes before "a"
    list.SetCaseSensitive(true);
    EXPECT_EQ(list.IndexOf("a"), 0);
    EXPECT_EQ(list.IndexOf("A"), 1);
}

TEST(StringListTest, CustomSortAndObjectsTravelWithTheirStrings) {
    TStringList list;
    TPlainItem one, two, three;
    list.AddObject("3", &three);
    list.AddObject("1", &one);
    list.AddObject("2", &two);
    list.CustomSort([](TStringList* l, int a, int b) { return l->Strings(b).compare(l->Strings(a)); });
    EXPECT_EQ(linesOf(list), (std::vector<std::string>{"3", "2", "1"}));
    EXPECT_EQ(list.Objects(1), &two);
    list.Sort();
    EXPECT_EQ(list.Objects(0), &one);
    EXPECT_EQ(list.Objects(2), &three);
}

TEST(StringListTest, IndexErrors) {
    TStringList list;
    list.Add("only");
    struct Case {
        std::function<void()> action;
        int index;
    } cases[] = {
        {[&] { list.Strings(1); }, 1},      {[&] { list.Strings(-1); }, -1},        {[&] { list.Delete(3); }, 3},
        {[&] { list.Objects(2); }, 2},      {[&] { list.SetStrings(1, "x"); }, 1},  {[&] { list.Insert(2, "x"); }, 2},
        {[&] { list.Exchange(0, 4); }, 4},  {[&] { list.SetObjects(7, nullptr); }, 7},
    };
    for (const Case& c : cases)
        EXPECT_EQ(messageOf<EStringListError>(c.action), "List index out of bounds (" + std::to_string(c.index) + ")");
}

TEST(StringListTest, NamesAndValues) {
    TStringList list;
    setLines(list, {"Color=Red", "size = 10", "NoEquals", "Url=a=b", "=empty name", "COLOR=Blue"});
    struct Case {
        const char* name;
        const char* value;
        int index;
    } cases[] = {
        {"color", "Red", 0}, {"size ", " 10", 1}, {"size", "", -1},       {"Url", "a=b", 3},
        {"", "empty name", 4}, {"NoEquals", "", -1}, {"missing", "", -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(list.Values(c.name), c.value) << c.name;
        EXPECT_EQ(list.IndexOfName(c.name), c.index) << c.name;
    }
    EXPECT_EQ(list.Names(2), "");
    EXPECT_EQ(list.ValueFromIndex(2), "");  // no "=": no value
    EXPECT_EQ(list.Names(3), "Url");
    EXPECT_EQ(list.ValueFromIndex(3), "a=b");

    list.SetValues("COLOR", "Green");  // replaces the first, keeping its place
    list.SetValues("Shape", "Round");  // appended
    list.SetValues("Url", "");         // deleted
    EXPECT_EQ(linesOf(list), (std::vector<std::string>{"COLOR=Green", "size = 10", "NoEquals", "=empty name",
                                                       "COLOR=Blue", "Shape=Round"}));
}

TEST(StringListTest, CommaTextQuotesWhatNeedsIt) {
    struct Case {
        std::vector<std::string> lines;
        const char* text;
    } cases[] = {
        {{"a", "b", "c"}, "a,b,c"},
        {{"two words", "x"}, "\"two words\",x"},
        {{"say \"hi\""}, "\"say \"\"hi\"\"\""},
        {{"1,000", "tab\there"}, "\"1,000\",\"tab\there\""},
        {{"a", "", "b"}, "a,,b"},
        {{""}, "\"\""},
        {{}, ""},
    };
    for (const Case& c : cases) {
        TStringList list;
        setLines(list, c.lines);
        EXPECT_EQ(list.CommaText(), c.text);
        TStringList back;
        back.SetCommaText(c.text);
        EXPECT_EQ(linesOf(back), c.lines) << c.text;
    }
}

TEST(StringListTest, CommaTextReading) {
    struct Case {
        const char* text;
        std::vector<std::string> lines;
    } cases[] = {
        {"  a b ,c", {"a", "b", "c"}},          // unquoted blanks separate items
        {"a,", {"a", ""}},                      // a trailing delimiter adds an empty item
        {"a, ", {"a"}},
        {"\"x y\"z,w", {"x y", "z", "w"}},
        {"\"open", {"open"}},                   // no closing quote: the rest of the text
        {"a,,\"\",b", {"a", "", "", "b"}},
    };
    for (const Case& c : cases) {
        TStringList list;
        list.SetCommaText(c.text);
        EXPECT_EQ(linesOf(list), c.lines) << c.text;
    }
}

TEST(StringListTest, DelimitedTextWithOtherCharacters) {
    TStringList list;
    list.SetDelimiter(';');
    list.SetQuoteChar('\'');
    setLines(list, {"a;b", "it's", "plain", "x,y"});
    EXPECT_EQ(list.DelimitedText(), "'a;b';'it''s';plain;x,y");
    EXPECT_EQ(list.CommaText(), "a;b,it's,plain,\"x,y\"");  // CommaText keeps its own characters
    EXPECT_EQ(list.Delimiter(), ';');
    TStringList back;
    back.SetDelimiter(';');
    back.SetQuoteChar('\'');
    back.SetDelimitedText(list.DelimitedText());
    EXPECT_EQ(linesOf(back), linesOf(list));
}

TEST(StringListTest, TextSplitsOnAnyLineEndAndJoinsWithCrLf) {
    struct Case {
        const char* text;
        std::vector<std::string> lines;
    } cases[] = {
        {"a\r\nb\r\n", {"a", "b"}}, {"a\nb", {"a", "b"}},          {"a\rb\r", {"a", "b"}},
        {"a\n\nb", {"a", "", "b"}}, {"\r\n", {""}},                 {"", {}},
        {"a\n\rb", {"a", "", "b"}}, {"x\r\n\r\ny", {"x", "", "y"}},
    };
    for (const Case& c : cases) {
        TStringList list;
        list.SetText(c.text);
        EXPECT_EQ(linesOf(list), c.lines) << c.text;
    }
    TStringList list;
    setLines(list, {"one", "", "three"});
    EXPECT_EQ(list.Text(), "one\r\n\r\nthree\r\n");
}

TEST(StringListTest, ChangeEventsAreHeldBackDuringUpdates) {
    TStringList list;
    std::vector<std::string> events;
    list.OnChanging = [&](TObject* sender) { events.push_back(sender == &list ? "changing" : "?"); };
    list.OnChange = [&](TObject*) { events.push_back("change:" + std::to_string(list.Count())); };

    list.Add("a");
    EXPECT_EQ(events, (std::vector<std::string>{"changing", "change:1"}));

    events.clear();
    list.BeginUpdate();
    list.BeginUpdate();
    list.Add("b");
    list.Delete(0);
    list.EndUpdate();
    EXPECT_EQ(events, (std::vector<std::string>{"changing"}));
    list.EndUpdate();
    EXPECT_EQ(events, (std::vector<std::string>{"changing", "change:1"}));

    events.clear();
    list.SetCommaText("x,y,z");  // one change for the whole text
    EXPECT_EQ(events, (std::vector<std::string>{"changing", "change:3"}));
}

TEST(StringListTest, AssignAndAddStrings) {
    TPlainItem tag;
    TStringList source;
    source.AddObject("b", &tag);
    source.Add("a");
    TStringList target;
    target.Add("old");
    target.SetSorted(true);
    target.Assign(&source);
    EXPECT_EQ(linesOf(target), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(target.Objects(1), &tag);

    source.Assign(&source);  // onto itself: nothing lost
    EXPECT_EQ(linesOf(source), (std::vector<std::string>{"b", "a"}));
    source.AddStrings(source);
    EXPECT_EQ(linesOf(source), (std::vector<std::string>{"b", "a", "b", "a"}));
}

TEST(StringListTest, FilesRoundTripThroughThePathMapping) {
    TempDir dir;
    TStringList list;
    setLines(list, {"first", "second line"});
    list.SaveToFile(dir.file("Notes.TXT"));
    {
        std::ifstream in(dir.file("Notes.TXT"), std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(bytes, "first\r\nsecond line\r\n");
    }
    TStringList back;
    back.LoadFromFile(dir.file("notes.txt"));  // found without regard to case
    EXPECT_EQ(linesOf(back), linesOf(list));

    std::string missing = dir.file("missing.txt");
    EXPECT_EQ(messageOf<EFOpenError>([&] { back.LoadFromFile(missing); }), "Cannot open file " + missing);
    EXPECT_EQ(linesOf(back), linesOf(list));
    std::string noFolder = dir.file("nofolder/x.txt");
    EXPECT_EQ(messageOf<EFCreateError>([&] { list.SaveToFile(noFolder); }), "Cannot create file " + noFolder);
}

#include "app/DocumentScope.h"

#include <algorithm>

#include "base/Exceptions.h"
#include "base/SysUtils.h"
#include "data/Db.h"
#include "data/DbTables.h"
#include "os/FileIo.h"
#include "os/Paths.h"
#include "ui/Dialogs.h"
#include "xbengine/DurableScope.h"
#include "xbengine/Journal.h"
#include "xbengine/XbEngine.h"

namespace {

std::string Sentence(std::string Text) {
    while (!Text.empty() && Text.back() == ' ')
        Text.pop_back();
    if (!Text.empty() && Text.back() != '.' && Text.back() != '!' && Text.back() != '?')
        Text += '.';
    return Text;
}

TDocumentScope* innermost = nullptr;

// Folder as the system names it (already mapped): mapping it again would
// look at each of its components.
void recoverMapped(const std::string& folder) {
    for (const std::string& message : xb::RecoverJournals(folder))
        ShowMessage(message);
}

}  // namespace

TDocumentScope::TDocumentScope(std::string Kind) : kind_(std::move(Kind)), outer_(innermost) {
    const std::string folder = xb::JournalFolder();
    journaled_ = !folder.empty();
    if (!outer_) {
        // The folder as the company's open mapped it.
        if (journaled_)
            recoverMapped(folder);
        os::ClearFileFailure();
        editing_ = editingDataSets();
    }
    xb_BeginScope();
    innermost = this;
    if (!outer_) {
        const bool vowel = !kind_.empty() && std::string("aeiou").find(kind_[0]) != std::string::npos;
        Saving((vowel ? "An " : "A ") + kind_);
    }
}

TDocumentScope::~TDocumentScope() {
    innermost = outer_;
    if (open_)
        rollBack();
    closeKept();
    if (!outer_)
        showRecovered();
}

void TDocumentScope::showRecovered() {
    for (const std::string& message : xb::TakeRecoveryMessages()) {
        try {
            ShowMessage(message);
        } catch (const std::exception&) {
            // A destructor must not raise: the message is lost, not the program.
        }
    }
}

std::vector<TDBDataSet*> TDocumentScope::editingDataSets() {
    std::vector<TDBDataSet*> editing;
    TSession* session = Session();
    for (int d = 0; session && d < session->DatabaseCount(); ++d) {
        TDatabase* database = session->Databases(d);
        for (int i = 0; i < database->DataSetCount(); ++i) {
            TDBDataSet* dataSet = database->DataSets(i);
            if (dataSet->State() == dsEdit || dataSet->State() == dsInsert)
                editing.push_back(dataSet);
        }
    }
    return editing;
}

void TDocumentScope::rollBack() {
    xb::rollbackDurableScope();
    // A row the document had begun stays no longer, or the next post would write it.
    const std::vector<TDBDataSet*>& before = outermost().editing_;
    for (TDBDataSet* dataSet : editingDataSets()) {
        if (std::find(before.begin(), before.end(), dataSet) != before.end())
            continue;
        try {
            dataSet->Cancel();
        } catch (const std::exception&) {
            // Cancelling touches no file; nothing is left to undo.
        }
    }
}

TDocumentScope* TDocumentScope::Current() { return innermost; }

void TDocumentScope::Saving(const std::string& Document) {
    SetRecoveryMessage(Document + " was not saved completely when the program stopped; it has been removed.");
}

void TDocumentScope::Changing(const std::string& Document) {
    SetRecoveryMessage("The changes to " + Document +
                       " were not saved completely when the program stopped; they have been taken back.");
}

void TDocumentScope::Deleting(const std::string& Document) {
    SetRecoveryMessage(Document +
                       " was not deleted completely when the program stopped; it has been put back as it was.");
}

void TDocumentScope::SetRecoveryMessage(const std::string& Message) { xb::SetJournalMessage(Message); }

void TDocumentScope::LockFirst(std::vector<TRecordLock> Records) {
    auto name = [](const TRecordLock& r) { return UpperCase(os::ExtractFileName(r.Table->TableName())); };
    std::sort(Records.begin(), Records.end(), [&](const TRecordLock& a, const TRecordLock& b) {
        const std::string na = name(a), nb = name(b);
        return na != nb ? na < nb : a.RecNo < b.RecNo;
    });
    for (const TRecordLock& r : Records) {
        r.Table->CheckActive();
        const int previous = xb_Select(static_cast<int>(r.Table->Handle()));
        const bool held = xb_ScopeLock(r.RecNo) != 0;
        xb_Select(previous);
        if (!held)
            throw EDatabaseError(SRecordLocked);
    }
}

void TDocumentScope::BeforeFileAppend(const std::string& Path, uint64_t Length) {
    if (!xb::JournalBeforePlainAppend(os::MapPath(Path), Length))
        throw EInOutError("Cannot write the journal of the " + kind_ + ".", errno);
}

TDocumentScope& TDocumentScope::outermost() {
    TDocumentScope* scope = this;
    while (scope->outer_)
        scope = scope->outer_;
    return *scope;
}

void TDocumentScope::KeepLocked(int Fd) {
    const int copy = os::DuplicateFile(Fd);
    if (copy >= 0)
        outermost().kept_.push_back(copy);
}

void TDocumentScope::FlushAtEnd(int Fd) {
    if (!xb::syncOrDefer(Fd))
        throw EInOutError("Cannot write " + kind_ + " file to disk.", errno);
}

void TDocumentScope::closeKept() {
    for (int fd : kept_)
        os::CloseFile(fd);
    kept_.clear();
}

void TDocumentScope::end() {
    if (!open_)
        return;
    open_ = false;
    innermost = outer_;
    const bool written = xb_EndScope() != 0;
    if (!written)
        rollBack();
    closeKept();
    if (!written)
        throw EDatabaseError("Cannot write the " + kind_ + "'s files to disk.");
    if (!outer_)
        showRecovered();
}

std::string TDocumentScope::Failed(const std::string& Outcome, const std::exception& Error) {
    if (const auto failure = os::FirstFileFailure())
    {
        std::string engine = Sentence(Error.what());
        engine.pop_back();
        return os::DescribeFileFailure(*failure) + " " + Outcome + " (" + engine + ")";
    }
    return Sentence(Error.what()) + " " + Outcome;
}

void TDocumentScope::RecoverCompany(const std::string& Folder) { recoverMapped(os::MapPath(Folder)); }

void TDocumentScope::OpenCompany(const std::string& Folder) {
    const std::string folder = os::MapPath(Folder);
    recoverMapped(folder);
    xb::SetJournalFolder(folder);
    // The receipt, payment and deposit forms' scratch tables: made anew for
    // every document, so a scope undoes them in memory and never flushes them.
    xb::SetScratchFolder(os::TempFolder());
}

void TDocumentScope::CloseCompany() {
    xb::SetJournalFolder("");
    xb::SetScratchFolder("");
}

uint64_t TDocumentScope::flushes() { return xb::durableScopeFlushes(); }

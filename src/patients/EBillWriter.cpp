#include "patients/EBillWriter.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <map>

#include "app/AppUtils.h"
#include "app/DocumentScope.h"
#include "base/DateTime.h"
#include "base/SysUtils.h"
#include "data/Db.h"
#include "data/DataSet.h"
#include "data/Fields.h"
#include "patients/EBillFile.h"
#include "patients/EBillLayout.h"
#include "ui/Dialogs.h"

namespace {

const char* const kStoredMessage = "Electronic claim stored for capture by claims processing software.";
const char* const kNotStoredMessage = "The claim was not stored for electronic billing.";

std::string cutTrailingBlanks(std::string text) {
    size_t keep = text.find_last_not_of(' ');
    text.resize(keep == std::string::npos ? 0 : keep + 1);
    return text;
}

std::string trimmed(const std::string& text) {
    size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Upper case in ASCII only: the other bytes of Windows-1252 pass unchanged.
std::string upperAscii(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return text;
}

std::string padLeft(const std::string& text, int width) {
    return text.size() >= size_t(width) ? text : std::string(size_t(width) - text.size(), ' ') + text;
}

// Two-digit month, day and year joined by Separator.
std::string dateText(TDateTime value, char separator) {
    int year = 0, month = 0, day = 0;
    DecodeDate(value, year, month, day);
    char text[16];
    std::snprintf(text, sizeof text, "%02d%c%02d%c%02d", month, separator, day, separator, ((year % 100) + 100) % 100);
    return text;
}

// The fields of the record a dataset stands on, as the capture file reads them.
class RecordReader {
public:
    explicit RecordReader(TDataSet* dataSet) : dataSet_(dataSet) {}

    bool empty(const std::string& name) const { return field(name)->IsNull(); }
    std::string text(const std::string& name) const {
        const TField* f = field(name);
        return f->IsNull() ? std::string() : cutTrailingBlanks(AppUtils::FixedColumnText(f->AsString()));
    }
    bool isTrue(const std::string& name) const {
        const TField* f = field(name);
        return !f->IsNull() && f->AsBoolean();
    }
    Currency money(const std::string& name) const {
        const TField* f = field(name);
        return f->IsNull() ? Currency() : f->AsCurrency();
    }
    double number(const std::string& name) const {
        const TField* f = field(name);
        return f->IsNull() ? 0.0 : f->AsFloat();
    }
    std::string date(const std::string& name, char separator) const {
        const TField* f = field(name);
        return f->IsNull() ? std::string() : dateText(f->AsDateTime(), separator);
    }

private:
    TField* field(const std::string& name) const { return dataSet_->FieldByName(name); }
    TDataSet* dataSet_;
};

// The text a piece writes; empty when it writes nothing.
std::string pieceText(const TEBillColumn& c, const RecordReader& r) {
    using R = TEBillRule;
    if (!c.Condition.empty() && !r.isTrue(c.Condition)) return {};
    switch (c.Rule) {
        case R::ClaimNumber: return "Claim: " + r.text(c.Field);
        case R::Text: return upperAscii(r.text(c.Field));
        case R::CutText: return upperAscii(r.text(c.Field).substr(0, size_t(c.Width)));
        case R::AsStored: return r.text(c.Field);
        case R::CarrierCity:
            return upperAscii(trimmed(r.text(c.Field)) + " " + trimmed(r.text(c.Field2)) + " " +
                              trimmed(r.text(c.Field3)));
        case R::CityLine: return upperAscii(r.text(c.Field) + " " + r.text(c.Field2) + " " + r.text(c.Field3));
        case R::BoxDate: return r.date(c.Field, ' ');
        case R::SignatureDate: return r.date(c.Field, '/');
        case R::Choice: return r.text(c.Field) == c.Value ? "X" : "";
        case R::WhenTrue: return r.isTrue(c.Field) ? (c.Value.empty() ? "X" : c.Value) : "";
        case R::WhenFalse: return r.isTrue(c.Field) ? "" : "X";
        case R::Money8: return eBillMoney(r.money(c.Field), 8);
        case R::LabCharges: return r.empty(c.Field) ? "" : eBillMoney(r.money(c.Field), 8);
        case R::Money10: return eBillMoney(r.money(c.Field), 10);
        case R::Units: return eBillUnits(r.number(c.Field));
        case R::ViewerOnly: return {};
    }
    return {};
}

// 80 blanks with each piece inserted (not overwritten) at its column, in
// rising column order, so every piece starts at its column.
std::string dataLine(std::vector<std::pair<int, std::string>> pieces) {
    std::stable_sort(pieces.begin(), pieces.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::string line(kEBillDataLineBlanks, ' ');
    for (const auto& [column, text] : pieces) line.insert(std::min(line.size(), size_t(column - 1)), text);
    return line;
}

}  // namespace

std::string eBillMoney(Currency Value, int Width) {
    // Rounded to cents, halves away from zero, as the picture does.
    int64_t raw = Value.Raw();
    int64_t cents = (raw >= 0 ? raw + 50 : raw - 50) / 100;
    if (cents == 0) return std::string(size_t(Width), ' ');
    uint64_t magnitude = cents < 0 ? uint64_t(0) - uint64_t(cents) : uint64_t(cents);
    char text[40];
    std::snprintf(text, sizeof text, "%s%llu.%02llu", cents < 0 ? "-" : "", (unsigned long long)(magnitude / 100),
                  (unsigned long long)(magnitude % 100));
    return padLeft(text, Width);
}

std::string eBillUnits(double Value) {
    double whole = std::round(Value);
    if (whole == 0 || !std::isfinite(whole)) return "   ";
    char text[40];
    std::snprintf(text, sizeof text, "%.0f", whole);
    return padLeft(text, 3);
}

std::string buildEBillBlock(TDataSet* Claim, TDataSet* ServiceRows) {
    std::map<int, std::vector<std::pair<int, std::string>>> pieces;  // by line
    const RecordReader claim(Claim);
    for (const TEBillColumn& c : eBillColumns())
        if (!c.ServiceRow) pieces[c.Line].emplace_back(c.Column, pieceText(c, claim));

    // No end-of-rows test: moving past the last row stays on it, so the
    // last row is written again when the claim has fewer than six.
    const bool hasRows = !ServiceRows->IsEmpty();
    if (hasRows) ServiceRows->First();
    const RecordReader row(ServiceRows);
    for (int number = 1; number <= kEBillServiceLines; ++number) {
        const int line = eBillServiceLine(number);
        pieces[line];
        if (hasRows) {
            for (const TEBillColumn& c : eBillColumns())
                if (c.ServiceRow && c.Line == line) pieces[line].emplace_back(c.Column, pieceText(c, row));
            ServiceRows->Next();
        }
    }

    std::string block;
    for (int line = 1; line <= kEBillBlockLines; ++line) {
        auto found = pieces.find(line);
        if (found == pieces.end()) {
            block += " ";
        } else if (eBillHeaderLine(line)) {
            block += std::string(kEBillHeaderBlanks, ' ');
            for (const auto& piece : found->second) block += piece.second;
        } else {
            block += dataLine(found->second);
        }
        block += "\r\n";
    }
    return block;
}

void SubmitEBill(TDataSet* Claim, TDataSet* ServiceRows, const std::string& DataFolder) {
    const std::string block = buildEBillBlock(Claim, ServiceRows);
    {
        // The block and the claim's mark land together or not at all.
        TDocumentScope scope("e-bill capture");
        scope.Saving("The e-bill capture of claim " + Trim(Claim->FieldByName("ID")->AsString()));
        try {
            appendEBillBlock(DataFolder, block);
            Claim->Edit();
            Claim->FieldByName("EBILLED")->SetAsDateTime(Date());
            Claim->Post();
            scope.end();
        } catch (const std::exception& e) {
            if (Claim->State() != dsBrowse) Claim->Cancel();
            const auto* io = dynamic_cast<const EInOutError*>(&e);
            throw EInOutError(TDocumentScope::Failed(kNotStoredMessage, e), io ? io->ErrorCode : EIO);
        }
    }
    ShowMessage(kStoredMessage);
}

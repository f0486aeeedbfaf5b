#pragma once
// The "New Company" dialog: makes a company from the name the user enters,
// its registry file "Company/<name>.ini" (stamped with the program's build)
// and its data folder "Data/<name>" with the 22 empty company tables and the
// default chart of accounts. It writes no index file: the first opening of
// the company builds them. Shown modally; frees itself when closed.
//
// Names are ASCII letters, digits, "_" and "-", at most 16 characters, and
// compared without regard to case, so "smith" exists when "Smith" does.
#include <string>

#include "ui/Forms.h"

class TButton;
class TDataSource;
class TEdit;
class TLabel;
class TTable;
class TXbase;

class TNewCompanyDlg : public TForm {
public:
    explicit TNewCompanyDlg(TComponent* AOwner);

    TLabel* Label1;
    TEdit* CompanyFilenameEdit;
    TButton* OKBtn;
    TButton* CancelBtn;
    TXbase* Xbase1;
    TTable* Table1;
    TDataSource* DataSource1;

    // Checks the name and makes the company; a refused name keeps the
    // dialog open with the reason shown.
    void OKBtnClick(TObject* Sender);
    void CancelBtnClick(TObject* Sender);
    // Creates the company tables, in their fixed order, in Folder; a table
    // that cannot be made shows "Create Failed" and the next one follows.
    void CreateDataFiles(const std::string& Folder);
};

namespace NewCompany {

inline constexpr int MaxNameLength = 16;
// Why a non-empty name cannot be a company name; "" when it can.
std::string nameProblem(const std::string& Name);

}  // namespace NewCompany

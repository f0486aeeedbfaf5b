#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/InstallLayout.h"
#include "app/Settings.h"
#include "base/Exceptions.h"
#include "os/Paths.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"

namespace {

void writeText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// A file's content, or no file at all.
using Content = std::optional<std::string>;

class SettingsFileTest : public testing::Test {
protected:
    TempDir dir;
    std::string path = dir.file("Settings.ini");

    TSettingsFile fileWith(const Content& content) {
        os::DeleteFile(path);
        if (content) writeText(path, *content);
        return TSettingsFile(path);
    }
};

TEST_F(SettingsFileTest, LookupRules) {
    constexpr TTextKey text{"Receipt", "ReceiptName", "Default Name"};
    constexpr TIntegerKey integer{"Data", "OpenCount", 7};
    constexpr TBoolKey flag{"Postcards", "PrintMessage", true};
    struct Case {
        const char* what;
        Content content;
        const char* text;
        int integer;
        bool flag;
    } cases[] = {
        {"missing file", std::nullopt, "Default Name", 7, true},
        {"missing sections", "[Other]\r\nReceiptName=X\r\nOpenCount=2\r\nPrintMessage=0\r\n", "Default Name", 7,
         true},
        {"missing keys", "[Receipt]\r\nOther=X\r\n[Data]\r\n[Postcards]\r\nPrintMessages=0\r\n", "Default Name",
         7, true},
        {"exact names",
         "[Receipt]\r\nReceiptName=Eye Shop\r\n[Data]\r\nOpenCount=2\r\n[Postcards]\r\nPrintMessage=0\r\n",
         "Eye Shop", 2, false},
        {"other case, blanks, LF lines",
         "[ receipt ]\nRECEIPTNAME = Eye Shop \n[DATA]\nopencount=-1\n[postcards]\nprintmessage=0\n", "Eye Shop",
         -1, false},
        {"quoted value", "[Receipt]\r\nReceiptName=\"  Eye Shop  \"\r\n", "  Eye Shop  ", 7, true},
        {"empty values", "[Receipt]\r\nReceiptName=\r\n[Data]\r\nOpenCount=\r\n[Postcards]\r\nPrintMessage=\r\n", "",
         7, true},
        {"any non-zero is true", "[Postcards]\r\nPrintMessage=5\r\n", "Default Name", 7, true},
        {"not numbers read as defaults", "[Data]\r\nOpenCount=two\r\n[Postcards]\r\nPrintMessage=false\r\n",
         "Default Name", 7, true},
        {"first of repeated keys", "[Data]\r\nOpenCount=3\r\nOpenCount=4\r\n", "Default Name", 3, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TSettingsFile file = fileWith(c.content);
        EXPECT_EQ(file.Read(text), c.text);
        EXPECT_EQ(file.Read(integer), c.integer);
        EXPECT_EQ(file.Read(flag), c.flag);
    }
}

TEST_F(SettingsFileTest, NumbersKeptAsText) {
    constexpr TTextKey rate{"Configuration", "SalesTaxRate", "0.0"};
    constexpr TTextKey copies{"Receipt", "ReceiptCopies", "1"};
    struct Case {
        Content content;
        double rate;
        int copies;
    } cases[] = {
        {std::nullopt, 0.0, 1},
        {"[Configuration]\r\nSalesTaxRate=6.5\r\n[Receipt]\r\nReceiptCopies=3\r\n", 6.5, 3},
        {"[Configuration]\r\nSalesTaxRate= -0.05 \r\n", -0.05, 1},
        // A box cleared and saved as typed stands for the default.
        {"[Configuration]\r\nSalesTaxRate=\r\n[Receipt]\r\nReceiptCopies=  \r\n", 0.0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.content.value_or("(no file)"));
        TSettingsFile file = fileWith(c.content);
        EXPECT_DOUBLE_EQ(file.ReadFloat(rate), c.rate);
        EXPECT_EQ(file.ReadInteger(copies), c.copies);
    }

    // A text that is no number is reported, never taken for a rate of 0.
    TSettingsFile bad = fileWith("[Configuration]\r\nSalesTaxRate=6.5%\r\n[Receipt]\r\nReceiptCopies=two\r\n");
    EXPECT_THROW(bad.ReadFloat(rate), EConvertError);
    EXPECT_THROW(bad.ReadInteger(copies), EConvertError);
    EXPECT_EQ(bad.Read(rate), "6.5%");
}

TEST_F(SettingsFileTest, WritesCreateTheFileAndKeepOtherLines) {
    TSettingsFile file = fileWith(std::nullopt);
    file.WriteFloat(CompanyIni::LastPatientID, 125);
    file.Write(CompanyIni::OpenCount, 2);
    file.Write(CompanyIni::PrintOtherReason, false);
    file.Write(CompanyIni::ReceiptName, "Eye Shop");
    file.Write(CompanyIni::SalesTaxRate, "6.50");  // as typed

    EXPECT_EQ(file.Read(CompanyIni::LastPatientID), "125");
    EXPECT_DOUBLE_EQ(file.ReadFloat(CompanyIni::LastPatientID), 125);
    EXPECT_EQ(file.Read(CompanyIni::OpenCount), 2);
    EXPECT_FALSE(file.Read(CompanyIni::PrintOtherReason));
    EXPECT_EQ(file.Read(CompanyIni::SalesTaxRate), "6.50");
    std::string text = readText(path);
    EXPECT_NE(text.find("PrintOtherReason=0"), std::string::npos);
    EXPECT_NE(text.find("[Data]"), std::string::npos);

    file.Write(CompanyIni::OpenCount, 0);
    EXPECT_EQ(file.Read(CompanyIni::OpenCount), 0);
    EXPECT_EQ(file.Read(CompanyIni::ReceiptName), "Eye Shop");
}

TEST_F(SettingsFileTest, EveryReadSeesTheFileAsItIsNow) {
    TSettingsFile mine(path), theirs(path);
    mine.Write(CompanyIni::SalesTaxRate, "6.5");
    EXPECT_DOUBLE_EQ(theirs.ReadFloat(CompanyIni::SalesTaxRate), 6.5);
    theirs.Write(CompanyIni::SalesTaxRate, "7.25");
    EXPECT_DOUBLE_EQ(mine.ReadFloat(CompanyIni::SalesTaxRate), 7.25);
    writeText(path, "[configuration]\r\nsalestaxrate=8\r\n");
    EXPECT_DOUBLE_EQ(mine.ReadFloat(CompanyIni::SalesTaxRate), 8);
}

TEST_F(SettingsFileTest, WritingIntoAMissingFolderFails) {
    TSettingsFile file(dir.file("NoSuchFolder/Company.ini"));
    EXPECT_THROW(file.Write(CompanyIni::OpenCount, 1), EIniFileException);
    EXPECT_FALSE(os::DirectoryExists(dir.file("NoSuchFolder")));
}

// A fresh workstation and a fresh company read the documented defaults.
TEST(SettingsDefaults, FreshFilesReadAsTheProgramExpects) {
    TempDir dataFolder;
    TSettingsFile vo97 = Vo97Ini::File();
    TSettingsFile company = CompanyIni::File(dataFolder.path());
    os::DeleteFile(os::IncludeTrailingPathDelimiter(os::InstallRoot()) + "VO97.ini");

    EXPECT_EQ(vo97.Read(Vo97Ini::DataDirectory), "");
    EXPECT_EQ(vo97.Read(Vo97Ini::CallerIDComPort), "Not Installed");
    EXPECT_EQ(vo97.Read(Vo97Ini::CashDrawerPort), "No Cash Drawer");
    EXPECT_EQ(vo97.Read(Vo97Ini::CashDrawerControlCode), "");
    EXPECT_FALSE(vo97.Read(Vo97Ini::PrntOffset));

    for (const TTextKey& key : {CompanyIni::SalesTaxRate, CompanyIni::AltTaxRate, CompanyIni::HCFA1500XOffset,
                                CompanyIni::HCFA1500YOffset, CompanyIni::LastPatientID, CompanyIni::LastSalesID,
                                CompanyIni::LastPaymentID, CompanyIni::LastDepositID})
        EXPECT_EQ(company.ReadFloat(key), 0.0) << key.Ident;
    EXPECT_EQ(company.ReadInteger(CompanyIni::ReceiptCopies), 1);
    EXPECT_EQ(company.Read(CompanyIni::OpenCount), 0);
    for (const TTextKey& key : {CompanyIni::ReceiptName, CompanyIni::ReceiptAddress1, CompanyIni::ReceiptCity,
                                CompanyIni::BankAccountNo, CompanyIni::FedIdType, CompanyIni::OtherNote})
        EXPECT_EQ(company.Read(key), "") << key.Ident;
    for (const TBoolKey& key : {CompanyIni::PrintMessage, CompanyIni::PrintReturnAddress, CompanyIni::PrintOtherReason})
        EXPECT_TRUE(company.Read(key)) << key.Ident;
    EXPECT_FALSE(os::FileExists(dataFolder.file("Company.ini")));
}

TEST(SettingsFiles, LiveWhereTheInstallationKeepsThem) {
    const std::string root = os::IncludeTrailingPathDelimiter(os::InstallRoot());

    Vo97Ini::File().Write(Vo97Ini::DataDirectory, InstallLayout::companyDataFolder("Smith2"));
    EXPECT_NE(readText(root + "VO97.ini").find("DataDirectory=" + root + "Data/Smith2"), std::string::npos);

    ASSERT_TRUE(os::ForceDirectories(InstallLayout::companyDataFolder("Smith2")));
    CompanyIni::File(InstallLayout::companyDataFolder("Smith2")).Write(CompanyIni::OpenCount, 1);
    EXPECT_TRUE(os::FileExists(root + "Data/Smith2/Company.ini"));

    // A registry file without a build counts as build 1001; names match without case.
    ASSERT_TRUE(os::ForceDirectories(root + "COMPANY"));
    writeText(root + "COMPANY/smith2.INI", "[Configuration]\r\nCompanyFileName=Smith2\r\n");
    TSettingsFile registry = CompanyRegistry::File("Smith2");
    EXPECT_EQ(registry.Read(CompanyRegistry::CompanyFileName), "Smith2");
    EXPECT_EQ(registry.Read(CompanyRegistry::Build), 1001);
    registry.Write(CompanyRegistry::Build, 1084);
    EXPECT_EQ(CompanyRegistry::File("smith2").Read(CompanyRegistry::Build), 1084);
    EXPECT_NE(readText(root + "COMPANY/smith2.INI").find("Build=1084"), std::string::npos);
}

TEST(SettingsFiles, CompanyNameIsTheDataFolderName) {
    struct Case {
        const char* folder;
        const char* name;
    } cases[] = {
        {"/srv/quenmark/Data/Smith2", "Smith2"},
        {"/srv/quenmark/Data/Smith2/", "Smith2"},
        {"C:\\VO97\\Data\\Eye Care", "Eye Care"},
        {"Smith2", "Smith2"},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(InstallLayout::companyNameOfDataFolder(c.folder), c.name) << c.folder;
}

}  // namespace

TEST_F(SettingsFileTest, AWriteReplacesTheFileWholeAndKeepsItsOtherLines) {
    TSettingsFile file = fileWith("; kept\r\n[Configuration]\r\nSalesTaxRate=7.25\r\n");
    file.Write(CompanyIni::OpenCount, 1);
    EXPECT_EQ(readText(path), "; kept\r\n[Configuration]\r\nSalesTaxRate=7.25\r\n\r\n[Data]\r\nOpenCount=1\r\n");
    // No copy is left beside it.
    EXPECT_EQ(os::ListFiles(dir.path(), "*"), std::vector<std::string>{"Settings.ini"});

    // A value that would break the file leaves it as it was.
    EXPECT_THROW(file.Write(CompanyIni::ReceiptName, "two\r\nlines"), EIniFileException);
    EXPECT_EQ(file.Read(CompanyIni::OpenCount), 1);
    EXPECT_EQ(os::ListFiles(dir.path(), "*"), std::vector<std::string>{"Settings.ini"});
}

TEST_F(SettingsFileTest, OpenCountCountsOpenersAndNeverGoesBelowZero) {
    const std::string folder = dir.path();
    struct Case {
        Content content;
        int afterOpening;
        int afterClosingTwice;
    } cases[] = {
        {std::nullopt, 1, 0},
        {"[Data]\r\nOpenCount=2\r\n", 3, 1},
        {"[Data]\r\nOpenCount=-4\r\n", 1, 0},
        {"[Data]\r\nOpenCount=abc\r\n", 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.content.value_or("(no file)"));
        os::DeleteFile(folder + "/Company.ini");
        if (c.content)
            writeText(folder + "/Company.ini", *c.content);
        CompanyIni::CountOpening(folder);
        EXPECT_EQ(CompanyIni::File(folder).Read(CompanyIni::OpenCount), c.afterOpening);
        CompanyIni::countClosing(folder);
        CompanyIni::countClosing(folder);
        EXPECT_EQ(CompanyIni::File(folder).Read(CompanyIni::OpenCount), c.afterClosingTwice);
    }
}

// Two workstations open and close one company over and over while a third
// prices receipts from the same Company.ini.
TEST_F(SettingsFileTest, SimultaneousOpensAndClosesCountExactlyAndReadersNeverSeeAHalfFile) {
    const std::string folder = dir.path();
    writeText(folder + "/Company.ini", "[Configuration]\r\nSalesTaxRate=7.25\r\n[Data]\r\nOpenCount=0\r\n");

    auto openAndClose = [&](ChildProcess&) {
        for (int i = 0; i < 200; ++i) {
            CompanyIni::CountOpening(folder);
            CompanyIni::countClosing(folder);
        }
    };
    auto priceReceipts = [&](ChildProcess&) {
        for (int i = 0; i < 2000; ++i)
            if (CompanyIni::File(folder).Read(CompanyIni::SalesTaxRate) != "7.25")
                throw std::runtime_error("tax rate misread");
    };
    ChildProcess first(openAndClose), second(openAndClose), reader(priceReceipts);
    ASSERT_TRUE(first.Started() && second.Started() && reader.Started());
    EXPECT_EQ(first.Wait(), 0);
    EXPECT_EQ(second.Wait(), 0);
    EXPECT_EQ(reader.Wait(), 0);
    EXPECT_EQ(CompanyIni::File(folder).Read(CompanyIni::OpenCount), 0);
    EXPECT_EQ(CompanyIni::File(folder).Read(CompanyIni::SalesTaxRate), "7.25");
}

#include "support/MailingFixture.h"

#include <cstdio>

#include "app/Settings.h"
#include "support/CompanyFixture.h"

namespace MailingFixture {

void AddPatients(const std::string& Dir, int Extra) {
    using CompanyFixture::Row;
    std::vector<Row> rows = {
        {{"ID", "10"}, {"RECNAME", "CARTER"}, {"NAME", "Carter"}, {"ADDR", "12 Elm St"}, {"CITY", "Springfield"},
         {"STATE", "IL"}, {"ZIP", "62701"}, {"PHONE1", "555-0101"}, {"PHONE2", "555-0102"},
         {"BIRTHDATE", "19500508"}},
        {{"ID", "11"}, {"RECNAME", "DIXON"}, {"NAME", "Dixon"}, {"CITY", "Salem"}, {"STATE", "OR"}, {"ZIP", "97301"},
         {"PHONE1", "555-0111"}, {"BIRTHDATE", "19750508"}},
        {{"ID", "12"}, {"RECNAME", "EVANS"}, {"NAME", "Evans"}, {"ADDR", "9 Oak Ave"}, {"CITY", "Dover"},
         {"ZIP", "19901"}, {"BIRTHDATE", "20010508"}},
        {{"ID", "13"}, {"RECNAME", "FOSTER"}, {"NAME", "Foster"}, {"ADDR", "1 Pine Rd"}, {"CITY", "Aurora"},
         {"STATE", "CO"}, {"ZIP", "80010"}, {"BIRTHDATE", "19800509"}},
        {{"ID", "14"}, {"RECNAME", "GRANT"}, {"NAME", "Grant"}, {"ADDR", "4 Ash Ct"}, {"CITY", "Boise"},
         {"STATE", "ID"}, {"ZIP", "83702"}},
        {{"ID", "15"}, {"RECNAME", "ZULU"}},
    };
    for (int n = 1; n <= Extra; ++n) {
        char name[16];
        std::snprintf(name, sizeof name, "Mayfield %02d", n);
        rows.push_back({{"ID", std::to_string(100 + n)}, {"RECNAME", name}, {"NAME", name},
                        {"ADDR", std::to_string(n) + " May St"}, {"CITY", "Maytown"}, {"STATE", "KS"},
                        {"ZIP", "66002"}, {"BIRTHDATE", "19900508"}});
    }
    CompanyFixture::AppendRows(Dir, "Patient.dbf", rows);
}

void AddRecalls(const std::string& Dir) {
    CompanyFixture::AppendRows(
        Dir, "Recall.dbf",
        {{{"PATIENTID", "10"}, {"NAME", "CARTER"}, {"DATE", "20240401"}, {"REASON", "Spectacles Exam"}},
         {{"PATIENTID", "12"}, {"NAME", "EVANS"}, {"DATE", "20240410"}, {"REASON", "Eye Exam"}},
         {{"PATIENTID", "0"}, {"DATE", "20240415"}},
         {{"PATIENTID", "99"}, {"NAME", "GHOST"}, {"DATE", "20240420"}, {"REASON", "Eye Exam"}},
         {{"PATIENTID", "11"}, {"NAME", "DIXON"}, {"DATE", "20240430"}, {"REASON", "Contact Lens Exam"}},
         {{"PATIENTID", "13"}, {"NAME", "FOSTER"}, {"DATE", "20240501"}, {"REASON", "Eye Exam"}},
         {{"PATIENTID", "9999999999"}, {"DATE", "29990101"}}});
}

void AddReturnAddress(const std::string& Dir) {
    TSettingsFile file = CompanyIni::File(Dir);
    file.Write(CompanyIni::ReceiptName, "Clear View Optical");
    file.Write(CompanyIni::ReceiptAddress1, "100 Main St");
    file.Write(CompanyIni::ReceiptAddress2, "Suite 2");
    file.Write(CompanyIni::ReceiptCity, "Lakeside");
    file.Write(CompanyIni::ReceiptState, "MI");
    file.Write(CompanyIni::ReceiptZip, "49116");
    file.Write(CompanyIni::ReceiptPhone, "(269) 555-0100");
}

}  // namespace MailingFixture

// The claim dialog's pages as a list of boxes: each row places one captioned
// control bound to one column of the claim. Coordinates are in the page's
// pixels; a caption sits left of its control.
#include "patients/ClaimPages.h"

namespace ClaimPages {

const char* const PageCaptions[8] = {"Patient", "Insured", "Carrier", "Other Insured",
                                     "Diagnosis", "Services", "Physician/Supplier", "Facility"};

namespace {

using enum TBoxKind;

constexpr int Patient = 0, Insured = 1, Carrier = 2, Other = 3, Diagnosis = 4, Services = 5, Physician = 6,
              Facility = 7;

const std::vector<TClaimBox> BoxList = {
    // Patient: boxes 2, 3, 5, 6, 8, 10, 12, 26 and the claim's number and date
    {Patient, ReadOnly, 110, 10, 80, "Claim No.", "ID"},
    {Patient, Date, 300, 10, 0, "Date", "DATE"},
    {Patient, Edit, 110, 38, 210, "2. Name", "PAT_NAME"},
    {Patient, Date, 110, 66, 0, "3. Birthdate", "PAT_BIRTH"},
    {Patient, List, 300, 66, 90, "Sex", "PAT_SEX", "Male|Female"},
    {Patient, Edit, 110, 94, 210, "5. Address", "PAT_ADDRS"},
    {Patient, Edit, 110, 122, 150, "City", "PAT_CITY"},
    {Patient, Upper, 300, 122, 30, "State", "PAT_STATE"},
    {Patient, Edit, 110, 150, 80, "Zip", "PAT_ZIP"},
    {Patient, Edit, 300, 150, 110, "Phone", "PAT_PHONE"},
    {Patient, List, 110, 178, 90, "6. Relationship", "REL_TO_INS", "Self|Spouse|Child|Other"},
    {Patient, List, 110, 206, 90, "8. Status", "PAT_STATUS", "Single|Married|Other"},
    {Patient, Check, 210, 206, 90, "Employed", "PAT_EMPLYD"},
    {Patient, List, 300, 206, 100, "", "PAT_STUDNT", "|Full-Time|Part-Time"},
    {Patient, Edit, 110, 234, 100, "26. Account", "PAT_ID"},
    {Patient, Check, 440, 38, 200, "10a. Employment related", "COND_EMPL"},
    {Patient, Check, 440, 66, 200, "10b. Auto accident", "COND_AUTO"},
    {Patient, Upper, 560, 94, 30, "State", "COND_STATE"},
    {Patient, Check, 440, 122, 200, "10c. Other accident", "COND_ACCID"},
    {Patient, Check, 440, 150, 200, "12. Signature on file", "PATSIGONFI"},
    {Patient, Edit, 110, 262, 100, "Receipt", "RECEIPT"},
    // Insured: boxes 1, 1a, 4, 7, 11, 13
    {Insured, List, 110, 10, 110, "1. Plan", "PLAN_TYPE", "Medicare|Medicaid|Champus|ChampVA|Group Plan|Feca|Other"},
    {Insured, Edit, 110, 38, 140, "1a. Insured's ID", "INS_ID"},
    {Insured, Edit, 110, 66, 210, "4. Name", "INS_NAME"},
    {Insured, Edit, 110, 94, 210, "7. Address", "INS_ADDRS"},
    {Insured, Edit, 110, 122, 150, "City", "INS_CITY"},
    {Insured, Upper, 300, 122, 30, "State", "INS_STATE"},
    {Insured, Edit, 110, 150, 80, "Zip", "INS_ZIP"},
    {Insured, Edit, 300, 150, 110, "Phone", "INS_PHONE"},
    {Insured, Edit, 110, 178, 120, "11. Group", "INS_GROUP"},
    {Insured, Date, 110, 206, 0, "11a. Birthdate", "INS_BIRTH"},
    {Insured, List, 300, 206, 90, "Sex", "INS_SEX", "|Male|Female"},
    {Insured, Edit, 110, 234, 160, "11b. Employer", "INS_EMPLR"},
    {Insured, Edit, 110, 262, 160, "11c. Plan Name", "INS_PLAN"},
    {Insured, Check, 440, 10, 200, "13. Signature on file", "INSSIGONFI"},
    // Carrier
    {Carrier, Edit, 110, 10, 260, "Name", "CAR_NAME"},
    {Carrier, Edit, 110, 38, 260, "Address", "CAR_ADDR1"},
    {Carrier, Edit, 110, 66, 260, "", "CAR_ADDR2"},
    {Carrier, Edit, 110, 94, 200, "City", "CAR_CITY"},
    {Carrier, Upper, 110, 122, 30, "State", "CAR_STATE"},
    {Carrier, Edit, 250, 122, 80, "Zip", "CAR_ZIP"},
    {Carrier, Edit, 110, 150, 110, "Phone", "CAR_PHONE"},
    {Carrier, Date, 110, 190, 0, "Printed", "PRINTED"},
    {Carrier, Date, 110, 218, 0, "E-Billed", "EBILLED"},
    // Other Insured (the group of box 9; 11d is the radio group above it)
    {Other, Edit, 100, 22, 210, "9. Name", "OTH_NAME"},
    {Other, Edit, 100, 50, 210, "Address", "OTH_ADDRS"},
    {Other, Edit, 100, 78, 150, "City", "OTH_CITY"},
    {Other, Upper, 290, 78, 30, "State", "OTH_STATE"},
    {Other, Edit, 100, 106, 80, "Zip", "OTH_ZIP"},
    {Other, Edit, 290, 106, 110, "Phone", "OTH_PHONE"},
    {Other, Date, 100, 134, 0, "9b. Birthdate", "OTH_BIRTH"},
    {Other, List, 290, 134, 90, "Sex", "OTH_SEX", "|Male|Female"},
    {Other, Edit, 520, 22, 110, "Policy", "OTH_POLICY", "", 0, 430},
    {Other, Edit, 520, 50, 110, "9a. Group", "OTH_GROUP", "", 0, 430},
    {Other, Edit, 520, 78, 110, "9c. Employer", "OTH_EMPLR", "", 0, 430},
    {Other, Edit, 520, 106, 110, "9d. Plan", "OTH_PLAN", "", 0, 430},
    // Diagnosis: boxes 14-19 (21 is placed with its description labels)
    {Diagnosis, Date, 130, 10, 0, "14. Current illness", "CURILLNESS"},
    {Diagnosis, Date, 130, 38, 0, "15. Similar illness", "SIMILLNESS"},
    {Diagnosis, Date, 130, 66, 0, "16. No work from", "NOWORKFROM"},
    {Diagnosis, Date, 330, 66, 0, "To", "NOWORKTO"},
    {Diagnosis, Edit, 130, 94, 210, "17. Referring phys.", "REFPHYS"},
    {Diagnosis, Edit, 130, 122, 120, "17a. ID", "REFPHYS_ID"},
    {Diagnosis, Date, 130, 150, 0, "18. Hospital from", "HOSP_FROM"},
    {Diagnosis, Date, 330, 150, 0, "To", "HOSP_TO"},
    {Diagnosis, Edit, 130, 178, 280, "19. Local use", "LOCAL_19"},
    {Diagnosis, Lookup, 130, 206, 80, "21. 1.", "DIAG1"},
    {Diagnosis, Lookup, 130, 234, 80, "2.", "DIAG2"},
    {Diagnosis, Lookup, 130, 262, 80, "3.", "DIAG3"},
    {Diagnosis, Lookup, 130, 290, 80, "4.", "DIAG4"},
    // Services: boxes 28-30 under the grid of box 24
    {Services, Edit, 80, 250, 90, "28. Total", "TOTAL", "", 0, 10},
    {Services, Edit, 300, 250, 90, "29. Paid", "PAID", "", 0, 240},
    {Services, Edit, 540, 250, 90, "30. Balance", "BALANCE", "", 0, 460},
    // Physician/Supplier: boxes 25, 27, 31, 33
    {Physician, Edit, 110, 10, 110, "25. Fed. Tax ID", "FEDTAXID"},
    {Physician, List, 300, 10, 70, "Type", "FEDIDTYPE", "SSN|EIN"},
    {Physician, Check, 110, 38, 200, "27. Accept assignment", "ACPTASSIGN"},
    {Physician, Lookup, 110, 66, 180, "31. Signer", "BILLSIGRN"},
    {Physician, Edit, 110, 94, 180, "Signed as", "BILLSIGNAM"},
    {Physician, Edit, 110, 122, 180, "Signature file", "BILLSIGIMG"},
    {Physician, Date, 110, 150, 0, "Signed on", "BILLSIGDAT"},
    {Physician, Edit, 440, 10, 190, "33. Name", "BILL_NAME", "", 0, 385},
    {Physician, Edit, 440, 38, 190, "Address", "BILL_ADDRS"},
    {Physician, Edit, 440, 66, 110, "City", "BILL_CITY"},
    {Physician, Upper, 600, 66, 30, "", "BILL_STATE"},
    {Physician, Edit, 440, 94, 80, "Zip", "BILL_ZIP"},
    {Physician, Edit, 440, 122, 110, "Phone", "BILL_PHONE"},
    {Physician, Edit, 440, 150, 110, "PIN#", "BILL_PIN"},
    {Physician, Edit, 440, 178, 110, "GRP#", "BILL_GRP"},
    // Facility: boxes 20, 22, 23, 32
    {Facility, Edit, 110, 10, 190, "32. Name", "FAC_NAME", "", 25},
    {Facility, Edit, 110, 38, 190, "Address", "FAC_ADDRS", "", 25},
    {Facility, Edit, 110, 66, 100, "City", "FAC_CITY", "", 11},
    {Facility, Upper, 270, 66, 30, "State", "FAC_STATE", "", 2, 225},
    {Facility, Edit, 110, 94, 80, "Zip", "FAC_ZIP", "", 10},
    {Facility, Edit, 270, 94, 110, "Phone", "FAC_PHONE", "", 0, 225},
    {Facility, Edit, 540, 120, 100, "22. Resubmission", "MRESUBCODE", "", 0, 420},
    {Facility, Edit, 540, 148, 100, "Original ref.", "ORIGREFNO", "", 0, 420},
    {Facility, Edit, 540, 176, 100, "23. Prior auth.", "PRI_AUTHNO", "", 0, 420},
};

}  // namespace

const std::vector<TClaimBox>& Boxes() { return BoxList; }

std::vector<std::string> Choices(const TClaimBox& Box) {
    std::vector<std::string> items;
    std::string item;
    for (const char* c = Box.Items;; ++c) {
        if (*c == '|' || *c == '\0') {
            items.push_back(item);
            item.clear();
            if (*c == '\0')
                break;
        } else {
            item += *c;
        }
    }
    if (items.size() == 1 && items[0].empty())
        items.clear();
    return items;
}

}  // namespace ClaimPages

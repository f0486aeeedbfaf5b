#include "sales/LabRxCopy.h"

#include "data/DataSet.h"
#include "data/Fields.h"

namespace {

struct TCopiedField {
    const char* ExamField;
    const char* LineField;
};

constexpr TCopiedField SpectacleRx[] = {
    {"SR_SPHERE", "SPHERE_R"}, {"SL_SPHERE", "SPHERE_L"}, {"SR_CYL", "CYLINDER_R"}, {"SL_CYL", "CYLINDER_L"},
    {"SR_AXIS", "AXIS_R"},     {"SL_AXIS", "AXIS_L"},     {"SR_PRISM", "PRISM_R"},  {"SL_PRISM", "PRISM_L"},
    {"SR_BC", "BASE_R"},       {"SL_BC", "BASE_L"},       {"SR_ADD", "ADD_R"},      {"SL_ADD", "ADD_L"},
};

constexpr TCopiedField ContactLensRx[] = {
    {"CR_SPHERE", "SPHERE_R"}, {"CL_SPHERE", "SPHERE_L"}, {"CR_CYL", "CYLINDER_R"}, {"CL_CYL", "CYLINDER_L"},
    {"CR_AXIS", "AXIS_R"},     {"CL_AXIS", "AXIS_L"},     {"CR_DIA", "DIA_R"},      {"CL_DIA", "DIA_L"},
    {"CR_BC", "BASE_R"},       {"CL_BC", "BASE_L"},       {"CR_ADD", "ADD_R"},      {"CL_ADD", "ADD_L"},
    {"CC_R", "CC_R"},          {"CC_L", "CC_L"},
};

constexpr const char* PupillaryDistances[] = {"DPD_TOT", "DPD_R", "DPD_L", "NPD_TOT", "NPD_R", "NPD_L"};

template <size_t N>
void copyText(const TCopiedField (&Fields)[N], TDataSet& Exam, TDataSet& Line) {
    for (const TCopiedField& f : Fields)
        Line.FieldByName(f.LineField)->SetAsString(Exam.FieldByName(f.ExamField)->AsString());
}

}  // namespace

namespace LabRxCopy {

std::optional<TLabRxRoute> routeOf(const std::string& ItemType) {
    if (ItemType == "Spectacle Lens")
        return TLabRxRoute::Spectacles;
    if (ItemType == "Contact Lens")
        return TLabRxRoute::ContactLens;
    return std::nullopt;
}

void copyExamRx(TLabRxRoute Route, TDataSet& Exam, TDataSet& Line) {
    if (Route == TLabRxRoute::Spectacles)
        copyText(SpectacleRx, Exam, Line);
    else
        copyText(ContactLensRx, Exam, Line);
    for (const char* name : PupillaryDistances) {
        TField* from = Exam.FieldByName(name);
        TField* to = Line.FieldByName(name);
        if (from->IsNull())
            to->Clear();
        else
            to->SetAsFloat(from->AsFloat());
    }
    Line.FieldByName("DOCTOR")->SetAsString(Exam.FieldByName("DOCTOR")->AsString());
}

}  // namespace LabRxCopy

#pragma once
// The lab order of a lens line: which order a line's item calls for, and
// the prescription it takes over from the patient's exam record the first
// time its order is opened.
#include <optional>
#include <string>

class TDataSet;

enum class TLabRxRoute { Spectacles, ContactLens };

namespace LabRxCopy {

// The route of an item of type ItemType: "Spectacle Lens" or "Contact Lens";
// none for any other type.
std::optional<TLabRxRoute> routeOf(const std::string& ItemType);

// Copies the exam's Rx of Route into the current record of Line (which
// must be in edit): the spectacle or contact-lens Rx, the six pupillary
// distances (as numbers) and the doctor. Nothing is posted.
void copyExamRx(TLabRxRoute Route, TDataSet& Exam, TDataSet& Line);

}  // namespace LabRxCopy

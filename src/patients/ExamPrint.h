#pragma once
// The printed exam record: the patient's current exam as a one-page ruled
// form (7.75 by 4.75 in, its corner 0.375 in from the page's top left) with
// the patient's data, the previous exam's prescriptions and the current
// exam's measurements and prescriptions, and below it the exam notes. The
// layout is held as data (shading, rules, captions and value places) drawn
// by one routine.
//
// Promises:
// - The previous exam is the record one step back in the exam engine's
//   scope; on the patient's first exam the previous-Rx band stays empty.
//   The exam engine ends on the record it stood on, also when printing fails.
// - The age prints from the birth-date text as the patient form reckons it,
//   and only when it is above 0.
// - The notes take at most 25 lines below the form; the rest goes on
//   further pages, each headed with RECNAME + " notes continued...", as many
//   lines on each as the page holds, so that no line is lost.
#include <string>

#include "base/DateTime.h"

class TBaseReport;
class TDataSet;
class TXbase;

namespace ExamPrint {

// What the exam record prints from.
struct TExamSources {
    TDataSet* Patient = nullptr;
    // REQUIRES: the exam table stands on the current exam, and ExamEngine
    // is its engine, scoped to this patient's exams in exam-number order.
    TDataSet* Exam = nullptr;
    TXbase* ExamEngine = nullptr;
    // The birth date as the patient form shows it.
    std::string BirthDateText;
    TDateTime Today = 0;
};

// Prints the exam record from the current page of Report (units: inches).
void printExamRecord(TBaseReport& Report, const TExamSources& Sources);

}  // namespace ExamPrint

#pragma once
// The small rules of the patient record that need no window: the text
// padding of exam keys, a patient's age on a day, the age caption, the
// range of one patient's exams in the exam tag "ID", and the highest exam
// number a patient can have.
#include <string>

#include "base/DateTime.h"

// The exam number is N(4): 9999 is the last one a patient can have.
constexpr int LastExamNumber = 9999;

// Text with blanks put before it until it is Width characters long; longer
// text comes back unchanged.
std::string PadLeft(const std::string& Text, int Width);

// Whole years from Birth to Today: the years between them, less one while
// this year's birthday is still to come.
int ageOn(TDateTime Birth, TDateTime Today);

// The age a birth-date text gives on Today, as the patient form reckons it:
// ageOn for a 10-character date, 0 for a 10-character text that is no date.
// Any other length gives no age, reported by returning false.
bool ageFromText(const std::string& BirthDateText, TDateTime Today, int& Age);

// The caption beside the birth date for a birth-date text: "Age:" and the
// age when the text is a 10-character date and the age is above 0; "" for
// a 10-character text that gives no age. Any other length gives nothing
// (the caption keeps its text), reported by returning false.
bool ageCaption(const std::string& BirthDateText, TDateTime Today, std::string& Caption);

// The low and high ends of the scope that holds exactly one patient's exams
// in the exam tag "ID" (account as 10 characters, exam number as 4).
std::string examScopeLow(const std::string& PatientID);
std::string examScopeHigh(const std::string& PatientID);

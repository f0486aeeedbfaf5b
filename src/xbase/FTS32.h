#pragma once
// TFts: one full-text index handle and a method per call of the full-text
// library, each passing its arguments on and returning the library's result
// unchanged. The patients' index "Patient.ia" is positional: key n belongs
// to record n of Patient.dbf.
#include <string>

#include "base/Classes.h"

class TXbase;

class TFts : public TComponent {
public:
    explicit TFts(TComponent* AOwner);
    // Closes an index still open, so its changes reach the file.
    ~TFts() override;

    // 0 when opened; the index is then this component's.
    int Open(const std::string& Path, int A, int B);
    // A new empty index at Path replacing any old one; 0 when made.
    int CreateIndex(const std::string& Path, int A, int B, int C, int D);
    // Writes the changes and closes; harmless when nothing is open.
    int Close();
    // Appends Key at the next position; that position, negative on failure.
    int Add(const std::string& Key);
    int Delete(int RecNo);
    int Replace(const std::string& Key, int RecNo);
    // 1 when the search is set up, -13 when the index holds no keys.
    int Set(const std::string& Text);
    // The next matching position, below 1 when there is none.
    int NextRec();
    int NumRecs();
    // 1 when Key satisfies Text; Mode is passed on plus one.
    int Verify(const std::string& Key, const std::string& Text, int Mode);

    int Handle() const { return handle_; }

private:
    int handle_ = 0;
};

// The full-text key of the patient record Engine's table stands on: the
// upper-cased concatenation of RecName, Addr, Phone1, Phone2 and SSN, each
// padded with blanks to its field's width.
std::string patientFtsKey(TXbase* Engine);

// Opens the patients' index at Path with the settings the program uses; 0
// when opened.
int openPatientFts(TFts* Fts, const std::string& Path);

// What the patients' index reports when it cannot be opened or take a key.
inline const char* const SFtsNotOpened = "IA Index did not open!";
inline const char* const SFtsKeyNotAdded = "Error adding IA key!";

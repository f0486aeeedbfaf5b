#pragma once
// The capture file EBill.dat on disk, in the open company's data folder (its
// name found without regard to case). Appending a block and removing blocks
// each hold an exclusive lock on the file, so two workstations capturing at
// once, or one capturing while another removes, keep every block whole and
// in order; a workstation that waited on a file another one replaced
// meanwhile works on the new file. Every removal keeps the file as it was
// before in "EBill.old" and is written through "ebill.tmp".
//
// Failures raise EInOutError with the system's message.
#include <string>

#include "patients/EBillReader.h"

// How long a capture or removal waits for another workstation's.
constexpr int kEBillLockTimeoutMs = 10000;

// The path of EBill.dat in DataFolder (it need not exist).
std::string eBillFilePath(const std::string& DataFolder);

// Appends Block in one write, creating the file when it is missing. A
// write that fails leaves the file as it was.
void appendEBillBlock(const std::string& DataFolder, const std::string& Block);

// Reads block PageNo into Page; false, with Page empty, when there is no
// EBill.dat.
bool readEBillFile(const std::string& DataFolder, int PageNo, TEBillPage& Page);

// Removes the lines of block PageNo: they are left out of a copy
// "ebill.tmp", the file becomes "EBill.old" (replacing the previous one)
// and the copy becomes EBill.dat. True when the copy received a line.
// Raises when EBill.dat is missing, and then changes nothing.
bool removeEBillBlock(const std::string& DataFolder, int PageNo);

// Removes every block the same way: EBill.dat becomes "EBill.old" and an
// empty file takes its place. Raises when EBill.dat is missing.
void clearEBillFile(const std::string& DataFolder);

#pragma once
// Test support for the report shells: a stream writer recording into memory
// on a Letter page image, and the page-start records of what it recorded,
// found by reading the header and following the chain of next-page links
// from the first page, independently of the header's page count. A link
// that does not lead to a page-start record ends the walk and fails the
// calling test through the empty result.
#include <cstddef>
#include <string>
#include <vector>

#include "ImagePagesDevice.h"
#include "reporting/RSFiler.h"

class TBaseShell;

struct RecordedRun {
    static constexpr int Dpi = 100;
    ImagePagesDevice device{Dpi};
    TReportFiler filer{nullptr};
    RecordedRun() { filer.SetDevice(&device); }
    // Runs the shell as the writer's print handler.
    void run(TBaseShell& shell);
    std::string bytes() const;
    // The page-start records of the recorded stream.
    std::size_t pages() const;
};

// The positions of the page-start records, in chain order; empty when the
// stream is not a well-formed version-2017 stream.
std::vector<std::size_t> PageStartRecords(const std::string& bytes);
// The page count the header states.
int HeaderPageCount(const std::string& bytes);

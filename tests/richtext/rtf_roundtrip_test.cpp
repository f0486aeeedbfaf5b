// Our own RTF read back: generated documents written, read and written
// again give the same document and the same bytes.
#include <gtest/gtest.h>

#include "RtfDocGenerator.h"
#include "RtfTestSupport.h"
#include "richtext/RtInvariants.h"
#include "richtext/RtTextReader.h"

namespace {

void provideObjects(TRtRTFTextIo& doc) {
    doc.OnProvideObject = [](uint16_t, TObject*& obj) { obj = ApplicationObject(); };
}

}  // namespace

TEST(RtfRoundTrip, GeneratedDocumentsComeBackUnchanged) {
    for (bool dib : {false, true}) {
        for (uint32_t seed = 1; seed <= 150; ++seed) {
            SCOPED_TRACE("seed " + std::to_string(seed) + (dib ? " as DIB" : ""));
            TRtRTFTextIo original;
            provideObjects(original);
            GenerateDocument(original, seed);
            ASSERT_EQ(RtCheckInvariants(original), "");
            original.WriteBitmapAsDib = dib;
            std::string first = SaveRtf(original);

            TRtRTFTextIo copy;
            provideObjects(copy);
            copy.WriteBitmapAsDib = dib;
            TLoadOutcome out = LoadBytes(copy, first);
            ASSERT_EQ(out.Result, rtReadOk) << first;
            EXPECT_EQ(out.Position, static_cast<int64_t>(first.size()));
            ASSERT_EQ(RtCheckInvariants(copy), "");
            ASSERT_EQ(CompareDocuments(original, copy), "") << first;
            ASSERT_EQ(SaveRtf(copy), first);
        }
    }
}

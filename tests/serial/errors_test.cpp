#include <gtest/gtest.h>

#include "serial/SerExcept.h"
#include "serial/SerStrings.h"

TEST(SerialErrors, CodesMapToStringIds) {
    struct Case {
        int code, id;
    } cases[] = {{-2011, 11211}, {-150, 11950}, {-13805, 13805}, {5, 11005},
                 {-1001, 11101}, {-5002, 11502}, {-8, 11008}, {-13928, 13228}};
    for (const Case& c : cases) EXPECT_EQ(ErrorCodeToStringId(c.code), c.id) << c.code;
}

TEST(SerialErrors, EachCodeRaisesItsClassWithItsText) {
    struct Case {
        int code;
        const char* className;
        const char* message;
        int errorCode;
    } cases[] = {
        {-1001, "EBadHandle", "Bad handle passed to com function", -1001},
        {-2001, "EBadId", "ie_BadId - Specified comport doesn't exist", -2001},
        {-2008, "EAlreadyOpen", "ie_Open - device already open", -2008},
        {-2011, "ENoPortSelected", "The ComNumber property of the TSerComPort has not been set", -2011},
        {-3001, "ENullApi", "No device layer specified", -3001},
        {-3006, "EOutputBufferTooSmall", "Output buffer too small for block", -3006},
        {-5001, "ENoMoreTriggers", "No more trigger slots", -5001},
        {-5002, "ETriggerTooLong", "Data trigger too long", -5002},
        {-4005, "EAlreadyDialing", "Already dialing", -4005},
        {-6008, "EProtocol", "Serial exception", -6008},
        {-7006, "EInternal", "Serial exception", -7006},
        {-8077, "EFaxNoDialTone", "Serial exception", -8077},
        {-13933, "ETapi16Disabled", "Serial exception", -13933},
    };
    for (const Case& c : cases) {
        try {
            RaiseForErrorCode(nullptr, c.code);
            ADD_FAILURE() << c.code << " raised nothing";
        } catch (const ESerialException& e) {
            EXPECT_STREQ(e.ClassName(), c.className) << c.code;
            EXPECT_EQ(e.Message(), c.message) << c.code;
            EXPECT_EQ(e.ErrorCode, c.errorCode) << c.code;
        }
    }
}

TEST(SerialErrors, FamiliesCatchTheirMembers) {
    EXPECT_THROW(RaiseForErrorCode(nullptr, -2008), EOpenComm);
    EXPECT_THROW(RaiseForErrorCode(nullptr, -3004), ESerialIO);
    EXPECT_THROW(RaiseForErrorCode(nullptr, -5003), ETrigger);
    EXPECT_THROW(RaiseForErrorCode(nullptr, -13801), ETapi);
    EXPECT_THROW(RaiseForErrorCode(nullptr, -7014), EINI);
}

TEST(SerialErrors, SystemErrorsAndUnknownCodes) {
    try {
        RaiseForErrorCode(nullptr, -65);
        ADD_FAILURE();
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.Message(), "Permission denied on serial device");
        EXPECT_EQ(e.ErrorCode, 65);
    }
    try {
        RaiseForErrorCode(nullptr, -101);
        ADD_FAILURE();
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.Message(), "Disk write error");
    }
    EXPECT_THROW(RaiseForErrorCode(nullptr, -8), EOutOfMemory);
    for (int code : {-1, -163, -9999}) {
        try {
            RaiseForErrorCode(nullptr, code);
            ADD_FAILURE() << code;
        } catch (const ESerialException& e) {
            EXPECT_STREQ(e.ClassName(), "ESerialException");
            EXPECT_EQ(e.Message(), "Serial exception");
            EXPECT_EQ(e.ErrorCode, 0);
        }
    }
}

TEST(SerialErrors, PositiveCodesAndLoadingComponentsPassUnchanged) {
    EXPECT_EQ(RaiseForErrorCode(nullptr, 7), 7);
    EXPECT_EQ(RaiseForErrorCode(nullptr, 0), 0);
    TComponent loading(nullptr);
    loading.SetLoading(true);
    EXPECT_EQ(RaiseForErrorCode(&loading, -2011), -2011);
}

TEST(SerialErrors, PassThruTakesTheCodeAsTheId) {
    ESerialException e(-11502, true);
    EXPECT_EQ(e.Message(), "Data trigger too long");
    EXPECT_EQ(e.ErrorCode, -11502);
}

TEST(SerStringResource, ReadsTheEmbeddedTable) {
    TSerStringResource strings("SERSTRES_STRINGS");
    EXPECT_EQ(strings.GetString(1), "String not found: %d");
    EXPECT_EQ(strings.GetString(4), "Unable to open string resource: %s");
    EXPECT_EQ(strings.GetString(99), "");
    strings.SetReportError(true);
    try {
        strings.GetString(99);
        ADD_FAILURE();
    } catch (const EApStringResourceError& e) {
        EXPECT_EQ(e.Message(), "String not found: 99");
    }
    try {
        TSerStringResource missing("NO_SUCH_STRINGS");
        ADD_FAILURE();
    } catch (const EApStringResourceError& e) {
        EXPECT_EQ(e.Message(), "String resource not found: NO_SUCH_STRINGS");
    }
}

TEST(SerStringResource, CacheNeverHoldsMoreThanFifty) {
    std::string bytes;
    for (int id = 1; id <= 120; ++id) {
        bytes += static_cast<char>(id & 0xFF);
        bytes += static_cast<char>(id >> 8);
        bytes += "text " + std::to_string(id);
        bytes += '\0';
    }
    addSerResource("CACHE_TEST_STRINGS", bytes);
    TSerStringResource strings("CACHE_TEST_STRINGS");
    for (int round = 0; round < 2; ++round)
        for (int id = 1; id <= 120; ++id) {
            ASSERT_EQ(strings.GetString(id), "text " + std::to_string(id));
            ASSERT_LE(strings.cachedCount(), 50);
        }
}

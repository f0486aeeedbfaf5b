#pragma once
// The result codes of the serial library's layers. Every routine below the
// port component returns 0 or a positive value for success and one of these
// negative codes for failure; the component turns them into exceptions
// (SerExcept.h). Codes -2 to -162 are system errors in the numbering of the
// library's texts (os/SerialDevice.h maps errno onto them).
namespace ser {

constexpr int ecOK = 0;

// System errors.
constexpr int ecFileNotFound = -2;
constexpr int ecPathNotFound = -3;
constexpr int ecAccessDenied = -5;  // what a device in use reports
constexpr int ecOutOfMemory = -8;
constexpr int ecNoPortRecord = -103;  // the device layer knows no such handle

// General.
constexpr int ecBadHandle = -1001;
constexpr int ecBadArgument = -1002;

// Opening.
constexpr int ecBadId = -2001;
constexpr int ecBaudRate = -2002;
constexpr int ecAlreadyOpen = -2008;
constexpr int ecNoHandles = -2009;
constexpr int ecNoPortSelected = -2011;

// Device layer and buffers.
constexpr int ecNullApi = -3001;
constexpr int ecNotSupported = -3002;
constexpr int ecPutBlockFail = -3004;
constexpr int ecOutputBufferTooSmall = -3006;
constexpr int ecBufferIsEmpty = -3007;

// Triggers.
constexpr int ecNoMoreTriggers = -5001;
constexpr int ecTriggerTooLong = -5002;
constexpr int ecBadTriggerHandle = -5003;

}  // namespace ser

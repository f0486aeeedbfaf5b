#include "SerStrings.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <map>

namespace {

struct StringEntry {
    int id;
    const char* text;
};

// Sorted by id.
constexpr StringEntry kStrings[] = {
    // System errors, in the numbering of the library's codes.
    {11002, "File not found"},
    {11003, "Path not found"},
    {11004, "Too many open files"},
    {11005, "File access denied"},
    {11006, "Invalid file handle"},
    {11008, "Insufficient memory"},
    {11015, "Invalid drive"},
    {11018, "No more files"},
    {11020, "Not a serial device"},
    {11031, "Input/output error on serial device"},
    {11065, "Permission denied on serial device"},
    {11087, "Invalid argument"},
    // Port core.
    {11101, "Bad handle passed to com function"},
    {11102, "Bad argument passed to function"},
    {11103, "Got quit message"},
    {11104, "Terminal buffer greater than 65521"},
    {11105, "ComPort component not assigned"},
    {11106, "Internal error creating window class"},
    {11107, "Modem component not assigned"},
    {11108, "Phonebook component not assigned"},
    {11109, "Component not compatible with WinSock"},
    {11201, "ie_BadId - Specified comport doesn't exist"},
    {11202, "ie_Baudrate - unsupported baud rate"},
    {11203, "ie_Bytesize - invalid byte size"},
    {11204, "ie_Default - error in default parameters"},
    {11205, "ie_Hardware - Specified comport in use"},
    {11206, "ie_Memory - unable to allocate queues"},
    {11207, "ie_NOpen - device not open"},
    {11208, "ie_Open - device already open"},
    {11209, "No more handles, can't open port"},
    {11210, "No timers available"},
    {11211, "The ComNumber property of the TSerComPort has not been set"},
    {11301, "No device layer specified"},
    {11302, "Function not supported by driver"},
    {11303, "EnableCommNotification failed"},
    {11304, "Failed to put entire block"},
    {11305, "Failed to get entire block"},
    {11306, "Output buffer too small for block"},
    {11307, "Buffer is empty"},
    {11308, "Tracing not enabled"},
    {11309, "Logging not enabled"},
    // Modem.
    {11401, "Modem not started"},
    {11402, "Modem busy"},
    {11403, "Modem not dialing"},
    {11404, "Not dialing"},
    {11405, "Already dialing"},
    {11406, "Modem not responding"},
    {11407, "Modem rejected command"},
    {11408, "Modem status mismatch"},
    // Triggers.
    {11501, "No more trigger slots"},
    {11502, "Data trigger too long"},
    {11503, "Bad trigger handle"},
    // Run-time input/output errors.
    {11900, "Disk read error"},
    {11901, "Disk write error"},
    {11902, "File not assigned"},
    {11903, "File not open"},
    {11904, "File not open for input"},
    {11905, "File not open for output"},
    {11950, "Disk is write-protected"},
    {11951, "Unknown unit"},
    {11952, "Drive not ready"},
    {11953, "Unknown command"},
    {11954, "CRC error in data"},
    {11955, "Bad drive request structure length"},
    {11956, "Disk seek error"},
    {11957, "Unknown media type"},
    {11958, "Sector not found"},
    {11959, "Printer out of paper"},
    {11960, "Device write fault"},
    {11961, "Device read fault"},
    {11962, "Hardware failure"},
};

// The records of a string resource, one after another: id (u16 LE), text, 0.
std::string resourceBytes(std::initializer_list<StringEntry> entries) {
    std::string bytes;
    for (const StringEntry& e : entries) {
        bytes += static_cast<char>(e.id & 0xFF);
        bytes += static_cast<char>((e.id >> 8) & 0xFF);
        bytes += e.text;
        bytes += '\0';
    }
    return bytes;
}

// The class's own four messages.
const std::string& serStrResStrings() {
    static const std::string bytes = resourceBytes({
        {1, "String not found: %d"},
        {2, "Cannot lock resource"},
        {3, "String resource not found: %s"},
        {4, "Unable to open string resource: %s"},
    });
    return bytes;
}

std::string format(const char* pattern, const std::string& argument) {
    std::string text = pattern;
    for (const char* placeholder : {"%s", "%d"}) {
        auto at = text.find(placeholder);
        if (at != std::string::npos) return text.replace(at, 2, argument);
    }
    return text;
}

// The message texts the class raises with, read through one instance of
// its own over "SERSTRES_STRINGS".
std::string ownMessage(int id, const std::string& argument) {
    static const char* const fallback[] = {"", "String not found: %d", "Cannot lock resource",
                                           "String resource not found: %s",
                                           "Unable to open string resource: %s"};
    const unsigned char* data;
    size_t size;
    std::string pattern = fallback[id];
    if (findSerResource("SERSTRES_STRINGS", data, size)) {
        static TSerStringResource messages("SERSTRES_STRINGS");
        std::string text = messages.GetString(id);
        if (!text.empty()) pattern = text;
    }
    return format(pattern.c_str(), argument);
}

}  // namespace

std::string serLoadStr(int Id) {
    auto it = std::lower_bound(std::begin(kStrings), std::end(kStrings), Id,
                               [](const StringEntry& e, int id) { return e.id < id; });
    return it != std::end(kStrings) && it->id == Id ? it->text : "";
}

namespace {

std::map<std::string, std::string>& linkedResources() {
    static std::map<std::string, std::string> resources{{"SERSTRES_STRINGS", serStrResStrings()}};
    return resources;
}

}  // namespace

bool findSerResource(const std::string& Name, const unsigned char*& Data, size_t& Size) {
    auto& resources = linkedResources();
    auto it = resources.find(Name);
    if (it == resources.end()) return false;
    Data = reinterpret_cast<const unsigned char*>(it->second.data());
    Size = it->second.size();
    return true;
}

void addSerResource(const std::string& Name, std::string Bytes) {
    linkedResources().emplace(Name, std::move(Bytes));
}

TSerStringResource::TSerStringResource(const std::string& ResourceName) {
    if (ResourceName.empty()) return;
    if (!findSerResource(ResourceName, resource_, resourceSize_))
        throw EApStringResourceError(ownMessage(3, ResourceName));
}

TSerStringResource::~TSerStringResource() { locked_ = nullptr; }

std::string TSerStringResource::GetString(int Id) {
    for (int i = 0; i < cache_.Count(); ++i)
        if (reinterpret_cast<intptr_t>(cache_.Objects(i)) == Id) return cache_.Strings(i);
    if (!resource_) throw EApStringResourceError(ownMessage(2, ""));
    locked_ = resource_;
    std::string found;
    bool present = false;
    size_t at = 0;
    while (at + 2 < resourceSize_) {
        int id = locked_[at] | (locked_[at + 1] << 8);
        size_t text = at + 2, end = text;
        while (end < resourceSize_ && locked_[end] != 0) ++end;
        if (end == text) break;  // an empty text ends the table
        if (id == Id) {
            found.assign(reinterpret_cast<const char*>(locked_ + text), end - text);
            present = true;
            break;
        }
        at = end + 1;
    }
    locked_ = nullptr;
    if (!present) {
        if (reportError_) throw EApStringResourceError(ownMessage(1, std::to_string(Id)));
        return "";
    }
    if (cache_.Count() >= cacheLimit_)
        while (cache_.Count() >= cacheLimit_ - 5) cache_.Delete(0);
    cache_.AddObject(found, reinterpret_cast<TObject*>(static_cast<intptr_t>(Id)));
    return found;
}

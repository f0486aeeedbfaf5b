#pragma once
// The files of an xBase table: driver names, the driver a .DBF's first byte
// stands for, the alias a table opens under, and the companion files that
// go with it when it is deleted.
#include <functional>
#include <string>
#include <vector>

#include "xbengine/XbCodes.h"

// What the lookups below give when a name or file stands for no driver.
constexpr int UnknownDriver = 0;

// "SXNTX" XB_DRIVER_NTX, "SXFOX" XB_DRIVER_FOX, "SXNSX" XB_DRIVER_NSX, without
// regard to case; anything else UnknownDriver.
int DriverFromName(const char* Name);
// The driver's name, "" for an unknown driver.
std::string DriverName(int Driver);

// The driver of the table at Path from its first byte and the index files
// beside it. ForDelete: unknown first bytes (and a .MDX beside a dBASE
// table) give UnknownDriver instead of XB_DRIVER_FOX.
int probeDriver(const std::string& Path, bool ForDelete);

// The alias a table opens under: its file name cut to 8 characters with
// "~", "-" and blanks made "_"; while AliasTaken says the alias is in use,
// the next of the 8 characters as they stand followed by "_1", "_2", ...
std::string tableAlias(const std::string& FileName, const std::function<bool(const std::string&)>& AliasTaken);

// The files that make up a table of the driver, the .DBF first.
std::vector<std::string> tableFiles(const std::string& TablePath, int Driver);

// A table name with a folder or drive is used as it stands; a bare name
// lies in the database's directory.
bool hasDirectory(const std::string& TableName);
// The directory of a database as kept: empty becomes ".\", and a separator
// is appended unless it ends in one or in ":".
std::string normalizeDirectory(const std::string& Dir);

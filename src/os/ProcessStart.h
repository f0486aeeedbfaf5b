#pragma once
// Starting another program beside this one: no shell reads the command line,
// each argument reaches the program as it is (blanks and quotes included),
// and the caller does not wait for it to end. The program is looked up on
// PATH when its name holds no "/".
#include <string>
#include <vector>

namespace os {

// True when the program was started; false when it could not be (not found,
// not executable). The finished program is reaped in the background.
bool StartProgram(const std::string& program, const std::vector<std::string>& arguments);

}  // namespace os

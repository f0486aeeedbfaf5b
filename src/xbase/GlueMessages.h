#pragma once
// The information boxes of the engine glue (an OK button only).
#include <string>

void showGlueMessage(const std::string& Text);

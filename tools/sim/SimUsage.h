#pragma once

#include <string>

// orvane-sim's --help text, also the source of its manual page.
std::string simUsage();

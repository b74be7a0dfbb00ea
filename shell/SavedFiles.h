#pragma once

#include <ctime>
#include <string>

// Where Save session, Save set-up and Save data put their files: the
// working directory, named by what they are and when, as
// "orvane-session-20261208-041500.txt".
std::string savedFileName(const char* kind, const char* extension, std::time_t when);

// Writes `text` to `name` in the working directory. Returns what to tell
// the person: where it went, or why it could not (nothing is written then).
std::string saveInWorkingDirectory(const std::string& name, const std::string& text);

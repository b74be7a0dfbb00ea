#pragma once

#include <string>

// The project's version, set in one place (the top CMakeLists.txt), and the
// git commit the build was made from: both written at build time.

// "1.0.0"
const char* projectVersion();

// "0123456789ab", with " with local changes" when tracked files differed
// from it; empty when the sources were not a git checkout.
const char* buildCommit();

// What --version prints: "orvane-sim 1.0.0 (commit 0123456789ab)\n", or
// without the parenthesis when the commit is unknown.
std::string versionText(const char* program);

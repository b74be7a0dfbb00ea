#include "cli/Version.h"

std::string versionText(const char* program) {
    std::string text = std::string(program) + " " + projectVersion();
    const std::string commit = buildCommit();
    if (!commit.empty()) text += " (commit " + commit + ")";
    return text + "\n";
}

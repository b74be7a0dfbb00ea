#pragma once

#include <string>
#include <utility>
#include <vector>

// A program's --help text read back into its parts, so that a manual page
// can be made of the very same text: the usage lines, paragraphs, two-column
// tables (an option or key, then what it does) and lines to keep as they
// are.

enum class HelpBlockKind { Usage, Paragraph, Table, Verbatim };

struct HelpBlock {
    HelpBlockKind kind = HelpBlockKind::Paragraph;
    std::vector<std::string> lines;  // Usage: without "usage: "; Paragraph: one, joined; Verbatim: as typed
    std::vector<std::pair<std::string, std::string>> rows;  // Table: the first column, the second
};

// Lines starting with "usage:" (and those indented under them) make the
// usage; other lines at the margin make paragraphs, ended by a blank line or
// an indented line; indented lines make a table when their second column
// starts at one place for all of them (after at least two spaces, with
// longer descriptions going on below it), otherwise they are kept verbatim.
std::vector<HelpBlock> readHelpText(const std::string& text);

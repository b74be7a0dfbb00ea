#pragma once

#include <string>
#include <utility>
#include <vector>

// A manual page in the man macros, made of a program's --help text and a
// few sections that only the manual has (files, see also).

struct ManSection {
    std::string title;                                      // "FILES"
    std::vector<std::pair<std::string, std::string>> rows;  // tagged paragraphs
    std::vector<std::string> paragraphs;                    // after the rows
};

struct ManPageSource {
    std::string program;  // "orvane"
    int section = 1;
    std::string summary;  // for NAME: "a soft ball on a tilting board"
    std::string source;   // the footer's source: "orvane 1.0.0"
    std::string manual;   // the header's title: "Games Manual"
    std::string help;     // the program's --help text
    std::vector<ManSection> extra;
};

// NAME, SYNOPSIS (the usage lines), DESCRIPTION (the help's first
// paragraphs), OPTIONS (from the first table of options on), a section for
// each heading line of the help ("Controls:") and EXIT STATUS (the paragraph
// that starts "Exit status:"), then the extra sections.
std::string manPage(const ManPageSource& source);

// Text made safe for roff: backslashes and minus signs escaped, and a dot or
// quote at the start of a line kept from being read as a request.
std::string roffText(const std::string& text);

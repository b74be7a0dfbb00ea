#include "tools/manpage/HelpText.h"

#include <sstream>

namespace {
std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::size_t indentOf(const std::string& line) {
    const std::size_t first = line.find_first_not_of(' ');
    return first == std::string::npos ? line.size() : first;
}

bool blank(const std::string& line) { return indentOf(line) == line.size(); }

std::string trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// A row starts at the indent of the run's first line; its second column at
// `column`, after two blanks. Lines indented to the column or further go on
// the row above.
bool rowsStartAt(const std::vector<std::string>& lines, std::size_t column) {
    const std::size_t margin = indentOf(lines.front());
    if (column < margin + 3) return false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        const std::size_t indent = indentOf(line);
        if (indent >= column && i > 0) continue;
        if (indent != margin || line.size() <= column) return false;
        if (line[column - 1] != ' ' || line[column - 2] != ' ' || line[column] == ' ') return false;
    }
    return true;
}

HelpBlock tableOrVerbatim(const std::vector<std::string>& lines) {
    HelpBlock block;
    std::size_t longest = 0;
    for (const std::string& line : lines) longest = std::max(longest, line.size());
    for (std::size_t column = 1; column < longest; ++column) {
        if (!rowsStartAt(lines, column)) continue;
        block.kind = HelpBlockKind::Table;
        for (const std::string& line : lines) {
            if (indentOf(line) >= column && !block.rows.empty()) {
                block.rows.back().second += " " + trimmed(line);
            } else {
                block.rows.emplace_back(trimmed(line.substr(0, column)), trimmed(line.substr(column)));
            }
        }
        return block;
    }
    block.kind = HelpBlockKind::Verbatim;
    const std::size_t margin = indentOf(lines.front());
    for (const std::string& line : lines)
        block.lines.push_back(line.substr(std::min(margin, indentOf(line))));
    return block;
}
}  // namespace

std::vector<HelpBlock> readHelpText(const std::string& text) {
    const std::vector<std::string> lines = linesOf(text);
    std::vector<HelpBlock> blocks;
    std::size_t i = 0;
    while (i < lines.size()) {
        const std::string& line = lines[i];
        if (blank(line)) {
            ++i;
        } else if (line.rfind("usage:", 0) == 0) {
            HelpBlock usage;
            usage.kind = HelpBlockKind::Usage;
            usage.lines.push_back(trimmed(line.substr(6)));
            for (++i; i < lines.size() && !blank(lines[i]) && indentOf(lines[i]) > 0; ++i)
                usage.lines.push_back(trimmed(lines[i]));
            blocks.push_back(usage);
        } else if (indentOf(line) == 0) {
            HelpBlock paragraph;
            std::string joined = line;
            for (++i; i < lines.size() && !blank(lines[i]) && indentOf(lines[i]) == 0; ++i) joined += " " + lines[i];
            paragraph.lines.push_back(joined);
            blocks.push_back(paragraph);
        } else {
            std::vector<std::string> run;
            for (; i < lines.size() && !blank(lines[i]) && indentOf(lines[i]) > 0; ++i) run.push_back(lines[i]);
            blocks.push_back(tableOrVerbatim(run));
        }
    }
    return blocks;
}

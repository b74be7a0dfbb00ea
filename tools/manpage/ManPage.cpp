#include "tools/manpage/ManPage.h"

#include <cctype>
#include <sstream>

#include "tools/manpage/HelpText.h"

namespace {
const char kExitStatus[] = "Exit status:";

std::string upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// A paragraph of one to three words ending in a colon: "Controls:".
bool isHeading(const std::string& paragraph) {
    if (paragraph.size() < 2 || paragraph.back() != ':') return false;
    int words = 1;
    for (char c : paragraph) words += c == ' ';
    return words <= 3;
}

// An option's name in bold and its argument in italics; anything else (a
// key, a setting's name) in bold.
std::string tag(const std::string& text) {
    const std::size_t space = text.find(' ');
    if (text.empty() || text[0] != '-' || space == std::string::npos) return "\\fB" + roffText(text) + "\\fR";
    return "\\fB" + roffText(text.substr(0, space)) + "\\fR \\fI" + roffText(text.substr(space + 1)) + "\\fR";
}

// Runs of blanks that lined up columns on a terminal are one space in a
// filled paragraph.
std::string singleSpaced(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c != ' ' || out.empty() || out.back() != ' ') out += c;
    }
    return out;
}

void writeRows(std::ostream& out, const std::vector<std::pair<std::string, std::string>>& rows) {
    for (const auto& [first, second] : rows)
        out << ".TP\n" << tag(first) << "\n" << roffText(singleSpaced(second)) << "\n";
}

void writeSynopsis(std::ostream& out, const std::string& program, const HelpBlock& usage) {
    out << ".SH SYNOPSIS\n";
    for (std::size_t i = 0; i < usage.lines.size(); ++i) {
        std::string line = usage.lines[i];
        if (line.rfind(program, 0) == 0) line = "\\fB" + roffText(program) + "\\fR" + roffText(line.substr(program.size()));
        else line = roffText(line);
        out << (i > 0 ? ".br\n" : "") << line << "\n";
    }
}

class SectionWriter {
public:
    explicit SectionWriter(std::ostream& out) : out_(out) {}

    void open(const std::string& title) {
        out_ << ".SH " << title << "\n";
        current_ = title;
    }

    void block(const HelpBlock& block) {
        switch (block.kind) {
        case HelpBlockKind::Paragraph:
            paragraph(block.lines.front());
            break;
        case HelpBlockKind::Table:
            if (current_ == "DESCRIPTION" && !block.rows.front().first.empty() && block.rows.front().first[0] == '-')
                open("OPTIONS");
            writeRows(out_, block.rows);
            break;
        case HelpBlockKind::Verbatim:
            out_ << ".PP\n.RS 2\n.nf\n";
            for (const std::string& line : block.lines) out_ << roffText(line) << "\n";
            out_ << ".fi\n.RE\n";
            break;
        case HelpBlockKind::Usage:
            break;
        }
    }

private:
    void paragraph(const std::string& text) {
        if (isHeading(text)) {
            open(upper(text.substr(0, text.size() - 1)));
        } else if (text.rfind(kExitStatus, 0) == 0) {
            open("EXIT STATUS");
            out_ << ".PP\n" << roffText(trimmedFront(text.substr(sizeof kExitStatus - 1))) << "\n";
        } else {
            out_ << ".PP\n" << roffText(text) << "\n";
        }
    }

    static std::string trimmedFront(const std::string& text) {
        const std::size_t first = text.find_first_not_of(' ');
        return first == std::string::npos ? std::string() : text.substr(first);
    }

    std::ostream& out_;
    std::string current_;
};
}  // namespace

std::string roffText(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\') {
            out += "\\e";
        } else if (c == '-') {
            out += "\\-";
        } else {
            out += c;
        }
    }
    if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out.insert(0, "\\&");
    return out;
}

std::string manPage(const ManPageSource& source) {
    std::ostringstream out;
    out << ".TH " << upper(roffText(source.program)) << " " << source.section << " \"\" \"" << source.source
        << "\" \"" << source.manual << "\"\n";
    out << ".SH NAME\n" << roffText(source.program) << " \\- " << roffText(source.summary) << "\n";
    const std::vector<HelpBlock> blocks = readHelpText(source.help);
    SectionWriter sections(out);
    bool described = false;
    for (const HelpBlock& block : blocks) {
        if (block.kind == HelpBlockKind::Usage) {
            writeSynopsis(out, source.program, block);
            continue;
        }
        if (!described) {
            sections.open("DESCRIPTION");
            described = true;
        }
        sections.block(block);
    }
    for (const ManSection& extra : source.extra) {
        sections.open(extra.title);
        writeRows(out, extra.rows);
        for (const std::string& paragraph : extra.paragraphs) out << ".PP\n" << roffText(paragraph) << "\n";
    }
    return out.str();
}

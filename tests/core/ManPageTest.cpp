// The manual pages are made of the programs' --help text: the reader of
// that text, the roff it becomes, and the installed pages against what the
// programs print, rendered by man as a reader sees them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tools/manpage/HelpText.h"
#include "tools/manpage/ManPage.h"

namespace {
using Rows = std::vector<std::pair<std::string, std::string>>;

// Every run of white space as one space, without any at either end.
std::string normalised(const std::string& text) {
    std::string out;
    for (char c : text) {
        const bool space = c == ' ' || c == '\n' || c == '\t';
        if (!space) {
            out += c;
        } else if (!out.empty() && out.back() != ' ') {
            out += ' ';
        }
    }
    if (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

ChildResult run(const std::vector<std::string>& argv, const std::vector<std::string>& environment = {}) {
    ChildOptions options;
    options.timeoutSeconds = 60.0;
    options.environment = environment;
    options.environment.push_back("DISPLAY=:orvane-no-such-display");
    return runChild(argv, options);
}
}  // namespace

TEST(HelpText, ReadsUsageParagraphsTablesWithRunOnLinesAndVerbatimLines) {
    const std::string help =
        "usage: prog [--a N]\n"
        "            [--long]\n"
        "\n"
        "First line of a paragraph\n"
        "and its second.\n"
        "  --a N     what a does,\n"
        "            and more of it\n"
        "  t  g      two keys in one row\n"
        "Keys:\n"
        "  STEP key-down C | key-up C\n"
        "  STEP end\n";
    const std::vector<HelpBlock> blocks = readHelpText(help);
    ASSERT_EQ(blocks.size(), 5u);
    EXPECT_EQ(blocks[0].kind, HelpBlockKind::Usage);
    EXPECT_EQ(blocks[0].lines, (std::vector<std::string>{"prog [--a N]", "[--long]"}));
    EXPECT_EQ(blocks[1].kind, HelpBlockKind::Paragraph);
    EXPECT_EQ(blocks[1].lines, (std::vector<std::string>{"First line of a paragraph and its second."}));
    EXPECT_EQ(blocks[2].kind, HelpBlockKind::Table);
    EXPECT_EQ(blocks[2].rows, (Rows{{"--a N", "what a does, and more of it"}, {"t  g", "two keys in one row"}}));
    EXPECT_EQ(blocks[3].lines, (std::vector<std::string>{"Keys:"}));
    EXPECT_EQ(blocks[4].kind, HelpBlockKind::Verbatim);
    EXPECT_EQ(blocks[4].lines, (std::vector<std::string>{"STEP key-down C | key-up C", "STEP end"}));
}

TEST(HelpText, LinesWhoseSecondColumnsDoNotLineUpStayVerbatim) {
    const std::vector<HelpBlock> blocks = readHelpText("  --a  one\n  --bb  two\n");
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0].kind, HelpBlockKind::Verbatim);
}

TEST(ManPage, EscapesWhatRoffWouldReadAsRequestsOrEscapes) {
    EXPECT_EQ(roffText("--rate a\\b"), "\\-\\-rate a\\eb");
    EXPECT_EQ(roffText(".hidden"), "\\&.hidden");
    EXPECT_EQ(roffText("'quoted'"), "\\&'quoted'");
}

TEST(ManPage, HasItsSectionsInOrderWithOptionsHeadingsAndExitStatus) {
    ManPageSource source;
    source.program = "prog";
    source.section = 1;
    source.summary = "does things";
    source.source = "orvane 9.9";
    source.manual = "User Commands";
    source.help = "usage: prog [--a N]\n\nDoes things.\n\n  --a N  what a does\n\nKeys:\n  x  the x key\n\n"
                  "Exit status: 0 fine.\n";
    source.extra = {{"SEE ALSO", {}, {"other(1)"}}};
    EXPECT_EQ(manPage(source),
              ".TH PROG 1 \"\" \"orvane 9.9\" \"User Commands\"\n"
              ".SH NAME\nprog \\- does things\n"
              ".SH SYNOPSIS\n\\fBprog\\fR [\\-\\-a N]\n"
              ".SH DESCRIPTION\n.PP\nDoes things.\n"
              ".SH OPTIONS\n.TP\n\\fB\\-\\-a\\fR \\fIN\\fR\nwhat a does\n"
              ".SH KEYS\n.TP\n\\fBx\\fR\nthe x key\n"
              ".SH EXIT STATUS\n.PP\n0 fine.\n"
              ".SH SEE ALSO\n.PP\nother(1)\n");
}

// What a reader of the page sees holds every line of --help: nothing of the
// help is left out or changed on the way.
class InstalledManPage : public testing::TestWithParam<const char*> {};

TEST_P(InstalledManPage, RendersWithoutWarningsAndSaysAllThatHelpSays) {
    const std::string page = GetParam();
    const std::string program = page.substr(0, page.find('.'));
    const ChildResult help = run({ORVANE_BINARY_DIR "/" + program, "--help"});
    ASSERT_EQ(help.exitStatus, 0) << help.describe();
    const ChildResult man = run({"man", "--nh", "--nj", "-l", ORVANE_BINARY_DIR "/man/" + page},
                                {"LC_ALL=C", "MANWIDTH=80", "MAN_KEEP_FORMATTING=", "MANPAGER=cat", "PAGER=cat"});
    ASSERT_EQ(man.exitStatus, 0) << man.describe() << "\n" << man.err << "\n(is man-db installed?)";
    EXPECT_EQ(man.err, "") << "groff's warnings";
    const std::string shown = normalised(man.out);
    std::size_t lines = 0;
    std::string rest = help.out;
    for (std::size_t end; (end = rest.find('\n')) != std::string::npos; rest.erase(0, end + 1)) {
        std::string line = normalised(rest.substr(0, end));
        if (line.rfind("usage: ", 0) == 0) line.erase(0, 7);
        if (line.rfind("Exit status: ", 0) == 0) line.erase(0, 13);
        if (line.empty() || line.back() == ':') continue;  // section headings become titles
        ++lines;
        EXPECT_NE(shown.find(line), std::string::npos) << page << " lacks: " << line;
    }
    EXPECT_GT(lines, 10u);
    EXPECT_NE(shown.find("SEE ALSO"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(EachProgram, InstalledManPage,
                         testing::Values("orvane.6", "orvane-sim.1", "orvane-capture.1"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             std::string name = info.param;
                             for (char& c : name)
                                 if (c == '-' || c == '.') c = '_';
                             return name;
                         });

#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The ready experiments of the experiments/ folder, built into the programs
// so that the window, the page and the tests offer the same ones wherever
// they run. Each file is an input script with a header of '#' lines (see
// experiments/README.md):
//
//   # the title
//   # the note: what to watch and why, one paragraph or more,
//   #
//   # a line of a '#' alone between paragraphs
//   0 restart
//   ...
struct Experiment {
    std::string name;    // the file's name without ".txt": ?experiment=NAME
    std::string title;
    std::string note;    // paragraphs separated by a blank line
    std::string script;  // the whole file
};

// Every ready experiment, in the order of their names.
const std::vector<Experiment>& readyExperiments();

// The experiment of that name, or null.
const Experiment* findExperiment(const std::string& name);

// Reads a script's header into a title and a note; false when the first
// line is not a '#' line with a title.
bool readExperimentHeader(const std::string& script, std::string& title, std::string& note);

// The files' texts as the build embeds them (world/ExperimentTexts.cpp,
// generated from experiments/*.txt).
struct ExperimentText {
    const char* name;
    const char* text;
};
extern const ExperimentText kExperimentTexts[];
extern const std::size_t kExperimentTextCount;

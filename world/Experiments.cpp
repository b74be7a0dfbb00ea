#include "world/Experiments.h"

namespace {
// The text of a '#' line after the '#' and one blank; false for any other line.
bool commentText(const std::string& line, std::string& text) {
    if (line.empty() || line[0] != '#') return false;
    text = line.substr(line.size() > 1 && line[1] == ' ' ? 2 : 1);
    while (!text.empty() && (text.back() == '\r' || text.back() == ' ')) text.pop_back();
    return true;
}

std::vector<Experiment> readAll() {
    std::vector<Experiment> all;
    for (std::size_t i = 0; i < kExperimentTextCount; ++i) {
        Experiment experiment;
        experiment.name = kExperimentTexts[i].name;
        experiment.script = kExperimentTexts[i].text;
        readExperimentHeader(experiment.script, experiment.title, experiment.note);
        all.push_back(experiment);
    }
    return all;
}
}  // namespace

bool readExperimentHeader(const std::string& script, std::string& title, std::string& note) {
    title.clear();
    note.clear();
    std::size_t start = 0;
    bool first = true;
    bool paragraphEnded = false;
    while (start < script.size()) {
        std::size_t end = script.find('\n', start);
        if (end == std::string::npos) end = script.size();
        std::string text;
        if (!commentText(script.substr(start, end - start), text)) break;
        start = end + 1;
        if (first) {
            title = text;
            first = false;
        } else if (text.empty()) {
            paragraphEnded = !note.empty();
        } else {
            if (!note.empty()) note += paragraphEnded ? "\n\n" : " ";
            note += text;
            paragraphEnded = false;
        }
    }
    return !title.empty();
}

const std::vector<Experiment>& readyExperiments() {
    static const std::vector<Experiment> all = readAll();
    return all;
}

const Experiment* findExperiment(const std::string& name) {
    for (const Experiment& experiment : readyExperiments()) {
        if (experiment.name == name) return &experiment;
    }
    return nullptr;
}

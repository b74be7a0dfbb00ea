#pragma once

#include <string>
#include <vector>

#include "panel/PlotRange.h"
#include "world/InputScript.h"

struct World;

// The session's kept past, for the timeline slider: the steps from the
// oldest kept to the present, and the one shown.
struct TimelineView {
    bool enabled = false;
    long long oldest = 0;
    long long shown = 0;
    long long present = 0;
};

// What the window knows that the world does not: whether the clock paces
// the simulation (--rate) and at how many steps a second, and the past the
// session keeps.
struct PanelContext {
    bool pacing = false;
    double rateHz = 60.0;
    TimelineView timeline;
};

// What the user did on the panel this frame. The changes to the world come
// as script events, so that the window delivers (and records) them like any
// other input and a replay does the same.
struct PanelActions {
    std::vector<ScriptEvent> events;
    bool togglePacing = false;
    std::string experiment;    // a ready experiment to start, by name
    bool saveSession = false;  // files the window writes
    bool saveSetUp = false;
    bool saveData = false;
};

// The study panel: run controls, what is shown, the physical settings, the
// ball's resolution and live plots of the last 600 steps. It reads the world
// and never changes it; it draws through Dear ImGui between the window's
// ImGui::NewFrame and ImGui::Render.
class StudyPanel {
public:
    PanelActions build(const World& world, const PanelContext& context);

private:
    void runSection(const World& world, const PanelContext& context, PanelActions& actions);
    void showSection(const World& world, PanelActions& actions);
    void physicsSection(const World& world, PanelActions& actions);
    void ballSection(const World& world, PanelActions& actions);
    void compareSection(const World& world, PanelActions& actions);
    void experimentsSection(PanelActions& actions);
    void keepSection(PanelActions& actions);
    void measureSection(const World& world, PanelActions& actions);
    void plotsSection(const World& world, const TimelineView& timeline);
    void timelineSlider(const TimelineView& timeline, PanelActions& actions);

    std::string experimentChosen_;  // whose note the Experiments section shows
    PlotRange energyRange_;
    PlotRange contactRange_;
    PlotRange tiltRange_;
    PlotRange heightRange_;
    PlotRange separationRange_;
    bool markShownStep_ = false;  // the plots end at a step of the past
    int pendingRings_ = 0;  // the resolution sliders' values until released
    int pendingSegments_ = 0;
    int pendingBRings_ = 0;  // B's resolution sliders, the same way
    int pendingBSegments_ = 0;
};

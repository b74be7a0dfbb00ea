#pragma once

#include <vector>

#include "panel/PlotRange.h"
#include "world/InputScript.h"

struct World;

// What the window knows that the world does not: whether the clock paces
// the simulation (--rate) and at how many steps a second.
struct PanelContext {
    bool pacing = false;
    double rateHz = 60.0;
};

// What the user did on the panel this frame. The changes to the world come
// as script events, so that the window delivers (and records) them like any
// other input and a replay does the same.
struct PanelActions {
    std::vector<ScriptEvent> events;
    bool togglePacing = false;
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
    void plotsSection(const World& world);

    PlotRange energyRange_;
    PlotRange contactRange_;
    PlotRange tiltRange_;
    PlotRange heightRange_;
    int pendingRings_ = 0;  // the resolution sliders' values until released
    int pendingSegments_ = 0;
};

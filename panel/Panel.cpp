#include "panel/Panel.h"

#include <imgui.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

#include "world/Experiments.h"
#include "world/Instruments.h"
#include "world/Settings.h"
#include "world/World.h"

namespace {
constexpr float kPanelWidth = 400.0f;
constexpr float kPlotHeight = 90.0f;
constexpr float kAxisWidth = 58.0f;  // room for the tick labels left of a plot
constexpr float kBarsWidth = 64.0f;  // the energy bar chart beside the energy plot
constexpr int kRoomForPhysicsAndPlots = 700;  // window pixels high

ScriptEvent keyPress(unsigned char key) { return ScriptEvent::keyDown(key); }

// One line of a plot: its name, colour and the value of each sample.
struct Series {
    const char* name;
    ImU32 colour;
    std::function<double(const StepSample&)> value;
};

void tickLabel(char* text, std::size_t size, double value, double step) {
    const int decimals = step >= 1.0 ? 0 : static_cast<int>(std::ceil(-std::log10(step)));
    std::snprintf(text, size, "%.*f", decimals, std::fabs(value) < step * 1e-6 ? 0.0 : value);
}

// Compare mode's B is drawn beside A: each of its series dashed, in A's
// colour made paler.
ImU32 paler(ImU32 colour) {
    const ImVec4 c = ImGui::ColorConvertU32ToFloat4(colour);
    return ImGui::GetColorU32(ImVec4(0.5f + c.x * 0.5f, 0.5f + c.y * 0.5f, 0.5f + c.z * 0.5f, 0.8f));
}

void widenToTake(const StepHistory& history, const std::vector<Series>& series, double& low, double& high,
                 bool& any) {
    for (std::size_t i = 0; i < history.size(); ++i) {
        for (const Series& s : series) {
            const double v = s.value(history[i]);
            if (!std::isfinite(v)) continue;
            low = any ? std::min(low, v) : v;
            high = any ? std::max(high, v) : v;
            any = true;
        }
    }
}

void drawDashes(ImDrawList* draw, const std::vector<ImVec2>& points, ImU32 colour) {
    constexpr std::size_t kDash = 4;  // points drawn, then as many left out
    for (std::size_t start = 0; start + 1 < points.size(); start += 2 * kDash) {
        const std::size_t count = std::min(kDash + 1, points.size() - start);
        draw->AddPolyline(points.data() + start, static_cast<int>(count), colour, 0, 1.5f);
    }
}

// A plot of the history: a frame with its axis labelled in `unit`, a
// dotted line at every tick, one line per series and a legend over it.
// With `markNewest`, a line at the newest sample says that it is the step of
// the past being shown; with `historyOfB`, B's series are drawn beside A's.
void drawPlot(const char* title, const char* unit, const StepHistory& history, PlotRange& range,
              const std::vector<Series>& series, bool markNewest, const StepHistory* historyOfB = nullptr,
              float besideWidth = 0.0f) {
    double low = 0.0, high = 0.0;
    bool any = false;
    widenToTake(history, series, low, high, any);
    if (historyOfB) widenToTake(*historyOfB, series, low, high, any);
    if (any) range.update(low, high);

    ImGui::Text("%s (%s)", title, unit);
    ImDrawList* draw = ImGui::GetWindowDrawList();
    const ImVec2 corner = ImGui::GetCursorScreenPos();
    const float width = ImGui::GetContentRegionAvail().x - besideWidth;
    ImGui::Dummy(ImVec2(width, kPlotHeight));
    const ImVec2 topLeft(corner.x + kAxisWidth, corner.y + 4.0f);
    const ImVec2 bottomRight(corner.x + width - 4.0f, corner.y + kPlotHeight - 4.0f);
    const double span = range.high() - range.low();
    auto yOf = [&](double v) {
        return static_cast<float>(bottomRight.y - (v - range.low()) / span * (bottomRight.y - topLeft.y));
    };

    draw->AddRectFilled(topLeft, bottomRight, IM_COL32(20, 20, 30, 220));
    int ticks = 0;
    for (double tick = range.low(); tick <= range.high() + range.tickStep() * 0.5 && ticks < PlotRange::kMostTicks;
         tick += range.tickStep(), ++ticks) {
        const float y = yOf(tick);
        draw->AddLine(ImVec2(topLeft.x, y), ImVec2(bottomRight.x, y), IM_COL32(90, 90, 110, 160));
        char text[32];
        tickLabel(text, sizeof text, tick, range.tickStep());
        const ImVec2 size = ImGui::CalcTextSize(text);
        draw->AddText(ImVec2(topLeft.x - size.x - 4.0f, y - size.y / 2.0f), IM_COL32(200, 200, 200, 255), text);
    }
    draw->AddRect(topLeft, bottomRight, IM_COL32(160, 160, 180, 255));

    // The newest sample at the right edge, 600 steps across; about one point
    // a pixel is drawn, since more would not show.
    // A panel narrower than the axis labels leaves no room for the lines.
    const float stepWidth = (bottomRight.x - topLeft.x) / static_cast<float>(StepHistory::kCapacity - 1);
    const std::size_t count = stepWidth > 0.0f ? history.size() : 0;
    const std::size_t stride =
        stepWidth >= 1.0f || count == 0
            ? 1
            : static_cast<std::size_t>(std::min(1.0f / stepWidth, static_cast<float>(StepHistory::kCapacity)));
    std::vector<ImVec2> points;
    const auto pointsOf = [&](const StepHistory& samples, const Series& s) {
        points.clear();
        const std::size_t shown = std::min(count, samples.size());
        for (std::size_t i = (shown - 1) % stride; i < shown; i += stride) {
            const float x = bottomRight.x - static_cast<float>(shown - 1 - i) * stepWidth;
            points.emplace_back(x, std::clamp(yOf(s.value(samples[i])), topLeft.y, bottomRight.y));
        }
    };
    for (const Series& s : series) {
        pointsOf(history, s);
        if (points.size() >= 2) draw->AddPolyline(points.data(), static_cast<int>(points.size()), s.colour, 0, 1.5f);
    }
    if (historyOfB) {
        for (const Series& s : series) {
            pointsOf(*historyOfB, s);
            drawDashes(draw, points, paler(s.colour));
        }
    }

    if (markNewest && count > 0) {
        const float x = bottomRight.x - 1.0f;
        draw->AddLine(ImVec2(x, topLeft.y), ImVec2(x, bottomRight.y), IM_COL32(255, 215, 100, 255), 2.0f);
    }

    float legendX = topLeft.x + 6.0f;
    for (const Series& s : series) {
        draw->AddText(ImVec2(legendX, topLeft.y + 2.0f), s.colour, s.name);
        legendX += ImGui::CalcTextSize(s.name).x + 12.0f;
    }
    if (historyOfB) {
        const float lineHeight = ImGui::GetTextLineHeight();
        draw->AddText(ImVec2(topLeft.x + 6.0f, bottomRight.y - lineHeight - 2.0f), IM_COL32(200, 200, 200, 255),
                      "dashed: B");
    }
}

// The newest sample's energies as bars, on the energy plot's own scale, so
// that a bar and the line beside it end at the same height.
void drawEnergyBars(const StepHistory& history, const PlotRange& range, const std::vector<Series>& series) {
    ImDrawList* draw = ImGui::GetWindowDrawList();
    const ImVec2 corner = ImGui::GetCursorScreenPos();
    ImGui::Dummy(ImVec2(kBarsWidth, kPlotHeight));
    const ImVec2 topLeft(corner.x + 4.0f, corner.y + 4.0f);
    const ImVec2 bottomRight(corner.x + kBarsWidth - 4.0f, corner.y + kPlotHeight - 4.0f);
    draw->AddRectFilled(topLeft, bottomRight, IM_COL32(20, 20, 30, 220));
    draw->AddRect(topLeft, bottomRight, IM_COL32(160, 160, 180, 255));
    if (history.size() == 0) return;
    const StepSample& newest = history[history.size() - 1];
    const double span = range.high() - range.low();
    auto yOf = [&](double v) {
        return std::clamp(static_cast<float>(bottomRight.y - (v - range.low()) / span * (bottomRight.y - topLeft.y)),
                          topLeft.y, bottomRight.y);
    };
    const float zero = yOf(0.0);
    const float barWidth = (bottomRight.x - topLeft.x - 2.0f) / static_cast<float>(series.size());
    for (std::size_t i = 0; i < series.size(); ++i) {
        const float left = topLeft.x + 1.0f + static_cast<float>(i) * barWidth;
        const float top = yOf(series[i].value(newest));
        draw->AddRectFilled(ImVec2(left + 1.0f, std::min(top, zero)), ImVec2(left + barWidth - 1.0f, std::max(top, zero)),
                            series[i].colour);
    }
}
}  // namespace

PanelActions StudyPanel::build(const World& world, const PanelContext& context) {
    PanelActions actions;
    ImGui::SetNextWindowPos(ImVec2(10.0f, 60.0f), ImGuiCond_FirstUseEver);
    ImGui::SetNextWindowSize(ImVec2(kPanelWidth, static_cast<float>(world.window.height) - 70.0f),
                             ImGuiCond_FirstUseEver);
    if (ImGui::Begin("orvane: study panel (Tab hides it)")) {
        if (ImGui::CollapsingHeader("Run", ImGuiTreeNodeFlags_DefaultOpen)) runSection(world, context, actions);
        if (ImGui::CollapsingHeader("Show")) showSection(world, actions);
        // In a small window the physics starts folded, so that the plots show.
        const ImGuiTreeNodeFlags physicsOpen = world.window.height >= kRoomForPhysicsAndPlots ? ImGuiTreeNodeFlags_DefaultOpen : 0;
        if (ImGui::CollapsingHeader("Physics", physicsOpen)) physicsSection(world, actions);
        if (ImGui::CollapsingHeader("Ball")) ballSection(world, actions);
        if (ImGui::CollapsingHeader("Compare")) compareSection(world, actions);
        if (ImGui::CollapsingHeader("Plots", ImGuiTreeNodeFlags_DefaultOpen)) plotsSection(world, context.timeline);
        if (ImGui::CollapsingHeader("Measure")) measureSection(world, actions);
        if (ImGui::CollapsingHeader("Experiments")) experimentsSection(actions);
        if (ImGui::CollapsingHeader("Keep")) keepSection(actions);
    }
    ImGui::End();
    return actions;
}

void StudyPanel::runSection(const World& world, const PanelContext& context, PanelActions& actions) {
    const RunControl& run = world.run;
    if (ImGui::Button(run.paused ? "Resume (p)" : "Pause (p)")) actions.events.push_back(keyPress('p'));
    ImGui::SameLine();
    ImGui::BeginDisabled(!run.paused);
    if (ImGui::Button("One step (o)")) actions.events.push_back(keyPress('o'));
    ImGui::EndDisabled();

    if (ImGui::Button("Slower ([)")) actions.events.push_back(keyPress('['));
    ImGui::SameLine();
    if (ImGui::Button("Faster (])")) actions.events.push_back(keyPress(']'));
    ImGui::SameLine();
    const std::string label = runStateLabel(RunControl{false, run.speedLevel});
    ImGui::Text("speed %s", label.empty() ? "x1" : label.c_str());

    bool pacing = context.pacing;
    char pacingLabel[64];
    std::snprintf(pacingLabel, sizeof pacingLabel, "real-time pacing, %g steps a second", context.rateHz);
    if (ImGui::Checkbox(pacingLabel, &pacing)) actions.togglePacing = true;
    if (world.blowUps > 0) ImGui::TextColored(ImVec4(1.0f, 0.6f, 0.3f, 1.0f), "the ball ran away %lld times", world.blowUps);
    if (context.timeline.enabled) timelineSlider(context.timeline, actions);
}

// The kept past from its oldest step to the present; dragging shows each
// step passed (and pauses), as the keys , and . do one at a time.
void StudyPanel::timelineSlider(const TimelineView& timeline, PanelActions& actions) {
    long long shown = timeline.shown;
    ImGui::PushItemWidth(-1.0f);
    const bool moved = ImGui::SliderScalar("##timeline", ImGuiDataType_S64, &shown, &timeline.oldest,
                                           &timeline.present, "step %lld", ImGuiSliderFlags_AlwaysClamp);
    ImGui::PopItemWidth();
    if (moved && shown != timeline.shown) actions.events.push_back(ScriptEvent::seek(shown));
    if (ImGui::Button("< (,)")) actions.events.push_back(keyPress(','));
    ImGui::SameLine();
    if (ImGui::Button("(.) >")) actions.events.push_back(keyPress('.'));
    ImGui::SameLine();
    if (timeline.shown < timeline.present) {
        ImGui::TextColored(ImVec4(1.0f, 0.85f, 0.4f, 1.0f), "step %lld of %lld: the past", timeline.shown,
                           timeline.present);
    } else {
        ImGui::TextDisabled("the present, step %lld; kept from %lld", timeline.present, timeline.oldest);
    }
}

void StudyPanel::showSection(const World& world, PanelActions& actions) {
    bool particles = world.ball.showParticles, springs = world.ball.showSprings, skin = world.ball.showSurface;
    bool lighting = world.display.lightingOn;
    if (ImGui::Checkbox("mass points (1)", &particles)) actions.events.push_back(keyPress('1'));
    if (ImGui::Checkbox("springs (2)", &springs)) actions.events.push_back(keyPress('2'));
    if (ImGui::Checkbox("skin (3)", &skin)) actions.events.push_back(keyPress('3'));
    if (ImGui::Checkbox("lighting, ground texture, sky, lightning (8)", &lighting))
        actions.events.push_back(keyPress('8'));
    bool noFlashes = world.display.noFlashes;
    if (ImGui::Checkbox("no flashes: the lightning faint (n)", &noFlashes)) actions.events.push_back(keyPress('n'));
    int look = static_cast<int>(world.display.look);
    ImGui::TextUnformatted("the ball's look (4):");
    ImGui::SameLine();
    const bool classic = ImGui::RadioButton("classic", &look, static_cast<int>(BallLook::Classic));
    ImGui::SameLine();
    const bool jelly = ImGui::RadioButton("jelly", &look, static_cast<int>(BallLook::Jelly));
    if ((classic || jelly) && look != static_cast<int>(world.display.look))
        actions.events.push_back(ScriptEvent::ballLook(static_cast<BallLook>(look)));
    bool hand = world.input.pointer == PointerMode::Hand;
    if (ImGui::Checkbox("hand mode: the pointer turns nothing (m)", &hand))
        actions.events.push_back(ScriptEvent::pointerMode(hand ? PointerMode::Hand : PointerMode::Look));
}

namespace {
// A slider for each physical setting of `world`; a change is the event
// `change` makes of it (A's set, B's set-b).
void physicalSettingSliders(const World& world, const char* idSuffix,
                            ScriptEvent (*change)(const Setting& setting, double value), PanelActions& actions) {
    ImGui::PushItemWidth(120.0f);
    for (std::size_t i = 0; i < kSettingCount; ++i) {
        const Setting& setting = kSettings[i];
        if (setting.resolution) continue;
        double value = settingValue(world, setting);
        char label[112];
        std::snprintf(label, sizeof label, "%s%s%s%s###%s%s", setting.label, *setting.unit ? " (" : "", setting.unit,
                      *setting.unit ? ")" : "", setting.name, idSuffix);
        if (setting.choice) {
            int chosen = static_cast<int>(value);
            if (ImGui::Combo(label, &chosen, setting.choice->names, setting.choice->count))
                actions.events.push_back(change(setting, chosen));
            continue;
        }
        const bool changed = ImGui::SliderScalar(label, ImGuiDataType_Double, &value, &setting.minimum,
                                                 &setting.maximum, "%.4g", ImGuiSliderFlags_AlwaysClamp);
        if (ImGui::IsItemHovered()) ImGui::SetTooltip("%s; start value %g", setting.name, settingStartValue(setting));
        if (changed) actions.events.push_back(change(setting, value));
    }
    ImGui::PopItemWidth();
}
}  // namespace

void StudyPanel::physicsSection(const World& world, PanelActions& actions) {
    physicalSettingSliders(world, "", ScriptEvent::set, actions);
    if (ImGui::Button("defaults")) actions.events.push_back(ScriptEvent::defaults());
    ImGui::SameLine();
    ImGui::TextDisabled("changes act from the next step");
}

// Compare mode: B beside A under the same input, with settings of its own.
void StudyPanel::compareSection(const World& world, PanelActions& actions) {
    bool comparing = static_cast<bool>(world.compare);
    if (ImGui::Checkbox("a second ball, B, the orange ghost", &comparing))
        actions.events.push_back(ScriptEvent::compareMode(comparing ? CompareAction::On : CompareAction::Off));
    if (!world.compare) {
        ImGui::TextDisabled("B starts as a copy of A; every input but the settings reaches both");
        return;
    }
    ImGui::SameLine();
    if (ImGui::Button("B = A now")) actions.events.push_back(ScriptEvent::compareMode(CompareAction::Copy));
    ImGui::TextDisabled("B's settings:");
    physicalSettingSliders(*world.compare, "B", ScriptEvent::setB, actions);
    for (const char* name : {"rings", "segments"}) {
        const Setting& setting = *findSetting(name);
        int& pending = name[0] == 'r' ? pendingBRings_ : pendingBSegments_;
        if (!ImGui::IsAnyItemActive()) pending = static_cast<int>(settingValue(*world.compare, setting));
        char label[64];
        std::snprintf(label, sizeof label, "%s###%sB", setting.label, setting.name);
        ImGui::PushItemWidth(120.0f);
        ImGui::SliderInt(label, &pending, static_cast<int>(setting.minimum), static_cast<int>(setting.maximum), "%d",
                         ImGuiSliderFlags_AlwaysClamp);
        ImGui::PopItemWidth();
        if (ImGui::IsItemDeactivatedAfterEdit()) actions.events.push_back(ScriptEvent::setB(setting, pending));
    }
}

// The resolution rebuilds the ball, so it is applied when a slider is let go.
void StudyPanel::ballSection(const World& world, PanelActions& actions) {
    const Setting& rings = *findSetting("rings");
    const Setting& segments = *findSetting("segments");
    if (!ImGui::IsAnyItemActive()) {
        pendingRings_ = world.ball.rings;
        pendingSegments_ = world.ball.segments;
    }
    ImGui::PushItemWidth(150.0f);
    ImGui::SliderInt("rings (pole to pole)", &pendingRings_, static_cast<int>(rings.minimum),
                     static_cast<int>(rings.maximum), "%d", ImGuiSliderFlags_AlwaysClamp);
    if (ImGui::IsItemDeactivatedAfterEdit()) actions.events.push_back(ScriptEvent::set(rings, pendingRings_));
    ImGui::SliderInt("segments (around)", &pendingSegments_, static_cast<int>(segments.minimum),
                     static_cast<int>(segments.maximum), "%d", ImGuiSliderFlags_AlwaysClamp);
    if (ImGui::IsItemDeactivatedAfterEdit()) actions.events.push_back(ScriptEvent::set(segments, pendingSegments_));
    ImGui::PopItemWidth();
    ImGui::Text("%zu points, %zu springs", world.ball.particles.size(), world.ball.particles.springCount());
}

void StudyPanel::plotsSection(const World& world, const TimelineView& timeline) {
    const StepHistory& history = world.history;
    const StepHistory* historyOfB = world.compare ? &world.compare->history : nullptr;
    if (timeline.shown < timeline.present) {
        ImGui::TextColored(ImVec4(1.0f, 0.85f, 0.4f, 1.0f), "across: the %zu steps up to step %lld (marked)",
                           StepHistory::kCapacity, timeline.shown);
        markShownStep_ = true;
    } else {
        ImGui::TextDisabled("across: the last %zu steps, the newest on the right", StepHistory::kCapacity);
        markShownStep_ = false;
    }
    const std::vector<Series> energies = {
        {"kinetic", IM_COL32(255, 120, 90, 255), [](const StepSample& s) { return s.kinetic; }},
        {"spring", IM_COL32(120, 200, 255, 255), [](const StepSample& s) { return s.spring; }},
        {"gravity", IM_COL32(140, 230, 120, 255), [](const StepSample& s) { return s.gravity; }},
        {"total", IM_COL32(255, 255, 255, 255), [](const StepSample& s) { return s.total; }}};
    ImGui::BeginGroup();
    drawPlot("energy", "J", history, energyRange_, energies, markShownStep_, historyOfB, kBarsWidth);
    ImGui::EndGroup();
    ImGui::SameLine(0.0f, 0.0f);
    ImGui::BeginGroup();
    ImGui::TextUnformatted("now");
    drawEnergyBars(history, energyRange_, energies);
    ImGui::EndGroup();
    drawPlot("contacts", "surface points touching", history, contactRange_,
             {{"contacts", IM_COL32(255, 210, 90, 255),
               [](const StepSample& s) { return static_cast<double>(s.contacts); }}},
             markShownStep_, historyOfB);
    drawPlot("board tilt", "degrees", history, tiltRange_,
             {{"tilt X", IM_COL32(255, 120, 200, 255), [](const StepSample& s) { return static_cast<double>(s.tiltX); }},
              {"tilt Z", IM_COL32(120, 255, 220, 255),
               [](const StepSample& s) { return static_cast<double>(s.tiltZ); }}},
             markShownStep_, historyOfB);
    drawPlot("height of the ball's centre", "m", history, heightRange_,
             {{"centre y", IM_COL32(200, 180, 255, 255), [](const StepSample& s) { return s.centreHeight; }}},
             markShownStep_, historyOfB);
    if (!world.compare) return;
    drawPlot("A and B apart", "m between their centres of mass", history, separationRange_,
             {{"separation", IM_COL32(255, 170, 60, 255), [](const StepSample& s) { return s.separation; }}},
             markShownStep_);
}

// Each ready experiment by its title; choosing one starts it from a fresh
// world, and its note shows here.
void StudyPanel::experimentsSection(PanelActions& actions) {
    for (const Experiment& experiment : readyExperiments()) {
        if (ImGui::Selectable(experiment.title.c_str(), experiment.name == experimentChosen_)) {
            experimentChosen_ = experiment.name;
            actions.experiment = experiment.name;
        }
    }
    if (const Experiment* chosen = findExperiment(experimentChosen_)) {
        ImGui::Separator();
        ImGui::TextWrapped("%s", chosen->note.c_str());
    }
}

// The readouts in model units, and the stopwatch.
void StudyPanel::measureSection(const World& world, PanelActions& actions) {
    const Readouts r = readoutsOf(world);
    ImGui::Text("time %.2f s   contacts %d   bounces %lld", r.time, r.contacts, r.bounces);
    ImGui::Text("centre of mass: height %.3f m, speed %.3f m/s", r.centreHeight, r.centreSpeed);
    if (r.landedOnce) {
        ImGui::Text("last flight's highest point %.3f m", r.lastFlightTop);
    } else {
        ImGui::TextDisabled("last flight's highest point: not landed yet");
    }
    if (world.compare) {
        const Readouts b = readoutsOf(*world.compare);
        ImGui::TextColored(ImVec4(1.0f, 0.7f, 0.35f, 1.0f), "B: height %.3f m, speed %.3f m/s, contacts %d, bounces %lld",
                           b.centreHeight, b.centreSpeed, b.contacts, b.bounces);
    }
    const Stopwatch& stopwatch = world.instruments.stopwatch;
    ImGui::Text("stopwatch %.2f s%s", stopwatch.seconds, stopwatch.running ? " (running)" : "");
    auto use = [&actions](StopwatchAction action) { actions.events.push_back(ScriptEvent::stopwatchAction(action)); };
    if (ImGui::Button(stopwatch.running ? "Stop" : "Start")) use(stopwatch.running ? StopwatchAction::Stop : StopwatchAction::Start);
    ImGui::SameLine();
    if (ImGui::Button("Reset")) use(StopwatchAction::Reset);
    ImGui::SameLine();
    bool automatic = stopwatch.stopsAtTouchdown;
    if (ImGui::Checkbox("stop at touchdown", &automatic)) use(automatic ? StopwatchAction::AutoOn : StopwatchAction::AutoOff);
}

// Files in the working directory; the overlay says where.
void StudyPanel::keepSection(PanelActions& actions) {
    if (ImGui::Button("Save session")) actions.saveSession = true;
    ImGui::SameLine();
    if (ImGui::Button("Save set-up")) actions.saveSetUp = true;
    ImGui::SameLine();
    if (ImGui::Button("Save data")) actions.saveData = true;
    ImGui::TextDisabled("session, set-up: scripts for --replay; data: CSV");
}

#pragma once

#include "panel/Panel.h"

struct World;

// The study panel's toolkit inside the window. On the desktop it is Dear
// ImGui (shell/ImGuiPanel.cpp); the browser page shows its panel as HTML
// beside the canvas instead (web/NoPanelInWindow.cpp), so there nothing
// inside the window takes input or draws. The window offers every input
// event while the panel is shown; "keeps" means the world must not see it.
namespace panel_toolkit {

bool offerKeyDown(unsigned char key, int x, int y);
void offerKeyUp(unsigned char key, int x, int y);
bool offerSpecialDown(int key, int x, int y);
void offerSpecialUp(int key, int x, int y);
bool offerMotion(int x, int y);  // true while the pointer is over the panel
bool offerButton(int button, int state, int x, int y);
void offerDrag(int x, int y);

// Draws the panel over the frame and says what the user did.
PanelActions draw(const World& world, const PanelContext& context);

// The panel is shown again after frames without it: keys and buttons that
// went up meanwhile were never offered, and must not count as still held.
void forgetHeldInput();

}  // namespace panel_toolkit

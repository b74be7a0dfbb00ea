// The browser page shows the study panel as HTML beside the canvas
// (web/HtmlPanel.cpp): inside the window there is none to take input or draw.
#include "shell/PanelToolkit.h"

namespace panel_toolkit {

bool offerKeyDown(unsigned char, int, int) { return false; }
void offerKeyUp(unsigned char, int, int) {}
bool offerSpecialDown(int, int, int) { return false; }
void offerSpecialUp(int, int, int) {}
bool offerMotion(int, int) { return false; }
bool offerButton(int, int, int, int) { return false; }
void offerDrag(int, int) {}
PanelActions draw(const World&, const PanelContext&) { return PanelActions(); }
void forgetHeldInput() {}

}  // namespace panel_toolkit

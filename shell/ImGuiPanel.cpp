// The study panel drawn with Dear ImGui and its GLUT and OpenGL2 back ends.
#include <GL/glut.h>
#include <backends/imgui_impl_glut.h>
#include <backends/imgui_impl_opengl2.h>
#include <imgui.h>

#include "shell/PanelToolkit.h"
#include "world/World.h"

namespace {
StudyPanel* panel = nullptr;
constexpr int kWheelUp = 3, kWheelDown = 4;

// Set up the first time the panel is shown, so that a session without it
// never touches Dear ImGui. It keeps no settings file.
void prepare() {
    if (panel) return;
    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;
    io.LogFilename = nullptr;
    ImGui::StyleColorsDark();
    // Plain lines: the software renderers many players have draw them faster.
    ImGui::GetStyle().AntiAliasedLines = false;
    ImGui_ImplGLUT_Init();
    ImGui_ImplOpenGL2_Init();
    panel = new StudyPanel();  // for the rest of the process, as the window
}

// A button let go since the last frame: the item it held stays active until
// the next frame, but the keys are no longer the panel's.
bool buttonReleasedSinceFrame = false;

// Keys are the panel's while it edits a value: a field being typed into, or
// an item the pointer still holds.
bool panelKeepsKeys(const ImGuiIO& io) {
    return io.WantTextInput || (io.WantCaptureKeyboard && !buttonReleasedSinceFrame);
}

// Dear ImGui sees only whether a button is down when a frame begins: a
// press and its release between two frames (a quick click while frames are
// slow) would leave it no frame with the button down, and the click would
// be lost. Such a release waits until a frame has seen the press.
constexpr int kButtons = 3;  // GLUT's left, middle and right
bool pressedSinceFrame[kButtons] = {};
bool releaseWaiting[kButtons] = {};

int imguiButton(int glutButton) {
    return glutButton == GLUT_LEFT_BUTTON ? 0 : glutButton == GLUT_RIGHT_BUTTON ? 1 : 2;
}

void releaseWhatWaited(ImGuiIO& io) {
    for (int button = 0; button < kButtons; ++button) {
        if (!releaseWaiting[button]) continue;
        releaseWaiting[button] = false;
        io.MouseDown[imguiButton(button)] = false;
        buttonReleasedSinceFrame = true;
    }
}

ImGuiIO& preparedIo() {
    prepare();
    return ImGui::GetIO();
}
}  // namespace

namespace panel_toolkit {

bool offerKeyDown(unsigned char key, int x, int y) {
    prepare();
    ImGui_ImplGLUT_KeyboardFunc(key, x, y);
    return panelKeepsKeys(preparedIo());
}

void offerKeyUp(unsigned char key, int x, int y) {
    prepare();
    ImGui_ImplGLUT_KeyboardUpFunc(key, x, y);
}

bool offerSpecialDown(int key, int x, int y) {
    prepare();
    ImGui_ImplGLUT_SpecialFunc(key, x, y);
    return panelKeepsKeys(preparedIo());
}

void offerSpecialUp(int key, int x, int y) {
    prepare();
    ImGui_ImplGLUT_SpecialUpFunc(key, x, y);
}

bool offerMotion(int x, int y) {
    prepare();
    ImGui_ImplGLUT_MotionFunc(x, y);
    return preparedIo().WantCaptureMouse;
}

// GLUT hands the wheel over as buttons 3 (up) and 4 (down), one press a
// notch, which this back end's MouseFunc ignores: without them a panel
// taller than the window could only be scrolled by its scroll bar.
bool offerButton(int button, int state, int x, int y) {
    ImGuiIO& io = preparedIo();
    if (button == kWheelUp || button == kWheelDown) {
        if (state == GLUT_DOWN) {
            io.MousePos = ImVec2(static_cast<float>(x), static_cast<float>(y));
            io.MouseWheel += button == kWheelUp ? 1.0f : -1.0f;
        }
        return io.WantCaptureMouse;
    }
    if (button < 0 || button >= kButtons) return io.WantCaptureMouse;
    if (state == GLUT_DOWN) {
        pressedSinceFrame[button] = true;
        releaseWaiting[button] = false;
    } else if (pressedSinceFrame[button]) {
        releaseWaiting[button] = true;
        return io.WantCaptureMouse;
    } else {
        buttonReleasedSinceFrame = true;
    }
    ImGui_ImplGLUT_MouseFunc(button, state, x, y);
    return io.WantCaptureMouse;
}

void offerDrag(int x, int y) {
    prepare();
    ImGui_ImplGLUT_MotionFunc(x, y);
}

PanelActions draw(const World& world, const PanelContext& context) {
    ImGuiIO& io = preparedIo();
    io.DisplaySize = ImVec2(static_cast<float>(world.window.width), static_cast<float>(world.window.height));
    ImGui_ImplOpenGL2_NewFrame();
    ImGui_ImplGLUT_NewFrame();  // this back end's NewFrame also begins ImGui's
    buttonReleasedSinceFrame = false;
    for (bool& pressed : pressedSinceFrame) pressed = false;
    PanelActions actions = panel->build(world, context);
    ImGui::Render();
    ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
    releaseWhatWaited(io);
    return actions;
}

void forgetHeldInput() {
    if (!panel) return;
    ImGuiIO& io = ImGui::GetIO();
    for (bool& down : io.KeysDown) down = false;
    for (bool& down : io.MouseDown) down = false;
    for (bool& waiting : releaseWaiting) waiting = false;
    io.KeyCtrl = io.KeyShift = io.KeyAlt = io.KeySuper = false;
}

}  // namespace panel_toolkit

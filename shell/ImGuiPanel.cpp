// The study panel drawn with Dear ImGui and its GLUT and OpenGL2 back ends.
#include <GL/glut.h>
#include <backends/imgui_impl_glut.h>
#include <backends/imgui_impl_opengl2.h>
#include <imgui.h>

#include "shell/PanelToolkit.h"
#include "world/World.h"

namespace {
StudyPanel* panel = nullptr;

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

bool offerButton(int button, int state, int x, int y) {
    prepare();
    if (state == GLUT_UP) buttonReleasedSinceFrame = true;
    ImGui_ImplGLUT_MouseFunc(button, state, x, y);
    return preparedIo().WantCaptureMouse;
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
    PanelActions actions = panel->build(world, context);
    ImGui::Render();
    ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
    return actions;
}

void forgetHeldInput() {
    if (!panel) return;
    ImGuiIO& io = ImGui::GetIO();
    for (bool& down : io.KeysDown) down = false;
    for (bool& down : io.MouseDown) down = false;
    io.KeyCtrl = io.KeyShift = io.KeyAlt = io.KeySuper = false;
}

}  // namespace panel_toolkit

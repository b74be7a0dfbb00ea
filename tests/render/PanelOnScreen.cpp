#include "tests/render/PanelOnScreen.h"

#include <gtest/gtest.h>
#include <imgui.h>
#include <imgui_internal.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

#include "shell/Window.h"
#include "world/World.h"

namespace render {
namespace {
// A glyph is drawn as four vertices whose texture corners are the glyph's
// own in the font atlas; no other shape uses those corners.
using AtlasCorner = std::pair<float, float>;

std::map<AtlasCorner, const ImFontGlyph*> glyphsByCorner(const ImFont& font) {
    std::map<AtlasCorner, const ImFontGlyph*> glyphs;
    for (const ImFontGlyph& glyph : font.Glyphs) {
        if (glyph.Visible) glyphs[{glyph.U0, glyph.V0}] = &glyph;
    }
    return glyphs;
}

const ImFontGlyph* glyphAt(const ImDrawList& list, int vertex, const std::map<AtlasCorner, const ImFontGlyph*>& glyphs) {
    if (vertex + 3 >= list.VtxBuffer.Size) return nullptr;
    const ImDrawVert* v = &list.VtxBuffer[vertex];
    const auto found = glyphs.find({v[0].uv.x, v[0].uv.y});
    if (found == glyphs.end()) return nullptr;
    const ImFontGlyph& g = *found->second;
    const bool corners = v[1].uv.x == g.U1 && v[1].uv.y == g.V0 && v[2].uv.x == g.U1 && v[2].uv.y == g.V1 &&
                         v[3].uv.x == g.U0 && v[3].uv.y == g.V1;
    return corners ? &g : nullptr;
}

// The clipping rectangle each vertex is drawn with.
std::vector<ImVec4> clipOfEachVertex(const ImDrawList& list) {
    std::vector<ImVec4> clips(static_cast<std::size_t>(list.VtxBuffer.Size), ImVec4(0, 0, 0, 0));
    for (const ImDrawCmd& command : list.CmdBuffer) {
        for (unsigned i = 0; i < command.ElemCount; ++i) {
            const unsigned vertex = command.VtxOffset + list.IdxBuffer[static_cast<int>(command.IdxOffset + i)];
            if (vertex < clips.size()) clips[vertex] = command.ClipRect;
        }
    }
    return clips;
}

PixelBox boxOf(float left, float top, float right, float bottom) {
    return {static_cast<int>(std::floor(left)), static_cast<int>(std::floor(top)),
            static_cast<int>(std::ceil(right)) - 1, static_cast<int>(std::ceil(bottom)) - 1};
}

bool inside(const ImDrawVert* quad, const ImVec4& clip) {
    return quad[0].pos.x >= clip.x && quad[0].pos.y >= clip.y && quad[2].pos.x <= clip.z && quad[2].pos.y <= clip.w;
}

// Glyphs one after another in the list, on one line and at most a few
// spaces apart, are one text.
void readList(const ImDrawList& list, const ImFont& font, const std::map<AtlasCorner, const ImFontGlyph*>& glyphs,
              std::vector<ShownText>& texts) {
    constexpr int kMostSpaces = 2;
    const float space = font.GetCharAdvance(' ');
    const std::vector<ImVec4> clips = clipOfEachVertex(list);
    ShownText* current = nullptr;
    int nextVertex = -1;
    float nextPen = 0.0f, lineTop = 0.0f;
    for (int vertex = 0; vertex < list.VtxBuffer.Size;) {
        const ImFontGlyph* glyph = glyphAt(list, vertex, glyphs);
        if (!glyph) {
            ++vertex;
            continue;
        }
        const ImDrawVert* quad = &list.VtxBuffer[vertex];
        const float pen = quad[0].pos.x - glyph->X0, top = quad[0].pos.y - glyph->Y0;
        const float spaces = (pen - nextPen) / space;
        const bool follows = current && vertex == nextVertex && top == lineTop && spaces > -0.01f &&
                             spaces < kMostSpaces + 0.5f;
        const PixelBox box = boxOf(quad[0].pos.x, quad[0].pos.y, quad[2].pos.x, quad[2].pos.y);
        const ImVec4& clip = clips[static_cast<std::size_t>(vertex)];
        if (follows) {
            current->text.append(static_cast<std::size_t>(std::lround(spaces)), ' ');
            current->box.left = std::min(current->box.left, box.left);
            current->box.top = std::min(current->box.top, box.top);
            current->box.right = std::max(current->box.right, box.right);
            current->box.bottom = std::max(current->box.bottom, box.bottom);
            current->whole = current->whole && inside(quad, clip);
        } else {
            texts.push_back({std::string(), box, boxOf(clip.x, clip.y, clip.z, clip.w), inside(quad, clip)});
            current = &texts.back();
        }
        current->text.push_back(static_cast<char>(glyph->Codepoint));
        nextVertex = vertex + 4;
        nextPen = pen + glyph->AdvanceX;
        lineTop = top;
        vertex += 4;
    }
}
}  // namespace

std::vector<ShownText> shownTexts() {
    std::vector<ShownText> texts;
    if (!ImGui::GetCurrentContext()) return texts;
    const ImDrawData* data = ImGui::GetDrawData();
    const ImFontAtlas* atlas = ImGui::GetIO().Fonts;
    if (!data || !data->Valid || !atlas || atlas->Fonts.empty()) return texts;
    const ImFont& font = *atlas->Fonts[0];
    const auto glyphs = glyphsByCorner(font);
    for (int i = 0; i < data->CmdListsCount; ++i) readList(*data->CmdLists[i], font, glyphs, texts);
    return texts;
}

const ShownText* findShown(const std::vector<ShownText>& texts, const std::string& text) {
    for (const ShownText& shown : texts) {
        if (shown.text == text) return &shown;
    }
    return nullptr;
}

namespace {
bool panelSeesThePointer() { return ImGui::GetCurrentContext() && windowWorld().display.panelVisible; }
}  // namespace

PanelUser::PanelUser(TracedWindow& traced, unsigned long window, int x, int y)
    : traced_(traced), window_(window), x_(x), y_(y) {
    traced_.play(Actions(window_).pointerToScreen(1000, 740).pointerTo(x, y));
}

void PanelUser::travelTo(int x, int y) {
    constexpr int kPixelsAMotion = 15;
    const int distance = std::max(std::abs(x - x_), std::abs(y - y_));
    const int motions = std::max(2, distance / kPixelsAMotion);
    Actions actions(window_);
    for (int i = 1; i <= motions; ++i) actions.pointerTo(x_ + (x - x_) * i / motions, y_ + (y - y_) * i / motions);
    traced_.play(actions);
    x_ = x;
    y_ = y;
    if (panelSeesThePointer()) {
        const ImVec2 target(static_cast<float>(x), static_cast<float>(y));
        EXPECT_TRUE(waitUntil([target] {
            const ImVec2 at = ImGui::GetIO().MousePos;
            return at.x == target.x && at.y == target.y;
        })) << "the pointer never reached " << x << ", " << y;
    }
}

// Dear ImGui keeps when the left button last went down in a frame, and
// counts the time it has been down from there (negative once it is up).
void PanelUser::click(const ShownText& text) {
    travelTo(text.centreX(), text.centreY());
    const double pressedBefore = ImGui::GetIO().MouseClickedTime[0];
    traced_.play(Actions(window_).press(1).release(1));
    EXPECT_TRUE(waitUntil([pressedBefore] {
        const ImGuiIO& io = ImGui::GetIO();
        return io.MouseClickedTime[0] != pressedBefore && io.MouseDownDuration[0] < 0.0f;
    })) << "the panel never saw the click on \"" << text.text << "\"";
    traced_.idle(2);  // what the click did reaches the world at the next idle call
}

bool PanelUser::waitUntil(const std::function<bool()>& condition) {
    constexpr int kMostIdleCalls = 3000;
    for (int i = 0; i < kMostIdleCalls; ++i) {
        if (condition()) return true;
        traced_.idle();
    }
    return condition();
}

// A notch at a time, each waited for until the panel under the pointer has
// scrolled (unless it was at its end already).
void PanelUser::turnWheel(int notchesDown) {
    const bool down = notchesDown > 0;
    const int button = down ? 5 : 4;  // X's wheel down and up
    for (int i = 0; i < std::abs(notchesDown); ++i) {
        const ImGuiWindow* panel = ImGui::GetCurrentContext() ? ImGui::GetCurrentContext()->HoveredWindow : nullptr;
        ASSERT_NE(panel, nullptr) << "the pointer is not over the panel";
        const float before = panel->Scroll.y;
        const bool atTheEnd = down ? before >= panel->ScrollMax.y : before <= 0.0f;
        traced_.play(Actions(window_).press(button).release(button));
        if (atTheEnd) continue;
        EXPECT_TRUE(waitUntil([panel, before] { return panel->Scroll.y != before; })) << "the wheel did not scroll";
    }
}

bool PanelUser::bringIntoView(const std::string& text, ShownText& found, bool lookUp) {
    constexpr int kMostNotches = 30;
    for (int notch = 0;; ++notch) {
        const std::vector<ShownText> texts = shownTexts();
        const ShownText* shown = findShown(texts, text);
        if (shown && shown->whole) {
            found = *shown;
            return true;
        }
        if (notch == kMostNotches) return false;
        const bool above = shown ? shown->box.centreY() < shown->clip.centreY() : lookUp;
        turnWheel(above ? -1 : 1);
        if (::testing::Test::HasFatalFailure()) return false;
    }
}

bool PanelUser::clickOn(const std::string& text, bool lookUp) {
    ShownText shown;
    if (!bringIntoView(text, shown, lookUp)) return false;
    click(shown);
    return true;
}

}  // namespace render

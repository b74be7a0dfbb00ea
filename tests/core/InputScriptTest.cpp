// Input scripts: what the parser accepts, what it refuses (and where), and
// how events reach the input handlers.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/core/WorldTest.h"
#include "world/InputScript.h"
#include "world/Settings.h"

namespace {
ScriptParseResult parse(const std::string& text) { return parseInputScript(text, "s.txt"); }

ScriptEvent onlyEvent(const std::string& line) {
    const ScriptParseResult r = parse(line);
    EXPECT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.events.size(), 1u) << line;
    return r.events.empty() ? ScriptEvent() : r.events[0];
}

void expectRefused(const std::string& text, int line, const std::string& part) {
    const ScriptParseResult r = parse(text);
    EXPECT_FALSE(r.ok) << text;
    EXPECT_EQ(r.error.rfind("s.txt:" + std::to_string(line) + ": ", 0), 0u) << r.error;
    EXPECT_NE(r.error.find(part), std::string::npos) << r.error;
    EXPECT_EQ(r.error.find('\n'), std::string::npos) << r.error;
}

class ScriptDelivery : public WorldTest {};
}  // namespace

TEST(InputScript, ReadsEveryEventKindWithItsArguments) {
    const ScriptParseResult r = parse(
        "0 key-down w\n"
        "0 key-up w\n"
        "3 special-down up\n"
        "3 special-up right\n"
        "3 special-down 1\n"
        "7 motion -100000 100000\n");
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_EQ(r.events.size(), 6u);
    EXPECT_EQ(r.events[0].kind, ScriptEventKind::KeyDown);
    EXPECT_EQ(r.events[0].key, 'w');
    EXPECT_EQ(r.events[1].kind, ScriptEventKind::KeyUp);
    EXPECT_EQ(r.events[2].kind, ScriptEventKind::SpecialDown);
    EXPECT_EQ(r.events[2].key, 101);
    EXPECT_EQ(r.events[3].kind, ScriptEventKind::SpecialUp);
    EXPECT_EQ(r.events[3].key, 102);
    EXPECT_EQ(r.events[4].key, 1);
    EXPECT_EQ(r.events[5].kind, ScriptEventKind::Motion);
    EXPECT_EQ(r.events[5].x, -100000);
    EXPECT_EQ(r.events[5].y, 100000);
    EXPECT_EQ(r.events[5].step, 7);
    EXPECT_EQ(r.events[5].line, 6);
}

TEST(InputScript, KeyNamesAndCodes) {
    EXPECT_EQ(onlyEvent("0 key-down space").key, 32);
    EXPECT_EQ(onlyEvent("0 key-down esc").key, 27);
    EXPECT_EQ(onlyEvent("0 key-down hash").key, '#');
    EXPECT_EQ(onlyEvent("0 key-down !").key, '!');
    EXPECT_EQ(onlyEvent("0 key-down ~").key, '~');
    EXPECT_EQ(onlyEvent("0 key-down W").key, 'W');
    EXPECT_EQ(onlyEvent("0 key-down 0").key, '0');
    EXPECT_EQ(onlyEvent("0 special-down down").key, 103);
    EXPECT_EQ(onlyEvent("0 special-down left").key, 100);
    EXPECT_EQ(onlyEvent("0 special-down 0").key, 0);
    EXPECT_EQ(onlyEvent("0 special-down 65535").key, 65535);
    EXPECT_EQ(onlyEvent("0 motion +5 -0").x, 5);
}

TEST(InputScript, CommentsBlanksTabsAndCrlf) {
    const ScriptParseResult r = parse(
        "# a comment\r\n"
        "\r\n"
        "   \t# an indented comment\n"
        "  \t  \n"
        "\t2\tkey-down\t  a  \r\n"
        "2 key-down b");  // no newline at the end
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_EQ(r.events.size(), 2u);
    EXPECT_EQ(r.events[0].key, 'a');
    EXPECT_EQ(r.events[0].line, 5);
    EXPECT_EQ(r.events[1].key, 'b');
    EXPECT_EQ(r.events[1].line, 6);
    EXPECT_TRUE(parse("").ok);
    EXPECT_TRUE(parse("\n\n# only comments\n").events.empty());
}

TEST(InputScript, StepsMayRepeatAndKeepFileOrderButNeverDecrease) {
    const ScriptParseResult r = parse("4 key-down a\n4 key-down b\n9223372036854775807 key-up a\n");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.events[0].key, 'a');
    EXPECT_EQ(r.events[1].key, 'b');
    EXPECT_EQ(r.events[2].step, 9223372036854775807LL);
    expectRefused("4 key-down a\n\n3 key-up a\n", 3, "smaller");
}

TEST(InputScript, RefusesMalformedLinesNamingTheLine) {
    expectRefused("0 jump\n", 1, "unknown event \"jump\"");
    expectRefused("# c\n0 key-down\n", 2, "missing");
    expectRefused("0\n", 1, "missing event");
    expectRefused("0 key-down a b\n", 1, "extra field \"b\"");
    expectRefused("0 motion 1\n", 1, "missing");
    expectRefused("0 motion 1 2 3\n", 1, "extra field \"3\"");
    expectRefused("x key-down a\n", 1, "step \"x\"");
    expectRefused("-1 key-down a\n", 1, "step \"-1\"");
    expectRefused("+1 key-down a\n", 1, "step \"+1\"");
    expectRefused("1.5 key-down a\n", 1, "step");
    expectRefused("9223372036854775808 key-down a\n", 1, "step");
    expectRefused("99999999999999999999999 key-down a\n", 1, "step");
    expectRefused("0 key-down ab\n", 1, "bad key \"ab\"");
    expectRefused("0 key-down #\n", 1, "bad key \"#\"");
    expectRefused("0 key-down \xc3\xa9\n", 1, "bad key");
    expectRefused("0 key-down Esc\n", 1, "bad key");
    expectRefused("0 special-down pageup\n", 1, "bad special key");
    expectRefused("0 special-down 65536\n", 1, "bad special key");
    expectRefused("0 special-down -1\n", 1, "bad special key");
    expectRefused("0 motion 100001 0\n", 1, "motion x");
    expectRefused("0 motion 0 -100001\n", 1, "motion y");
    expectRefused("0 motion 0 1e3\n", 1, "motion y");
    expectRefused("0 motion - 0\n", 1, "motion x");
    expectRefused("0 KEY-DOWN a\n", 1, "unknown event");
    expectRefused(std::string("0 key-down a\n1 key-down \0\n", 26), 2, "bad key");
    expectRefused("0 key-down a\r\r\n", 1, "bad key");
}

TEST(InputScript, MessagesQuoteBinaryOrLongFieldsReadably) {
    expectRefused("0 key-down \x01\x1b[2J\"\n", 1, "bad key \"\\x01\\x1b[2J\\x22\"");
    const ScriptParseResult r = parse("0 " + std::string(5000, 'z') + "\n");
    ASSERT_FALSE(r.ok);
    EXPECT_LT(r.error.size(), 120u) << r.error;
    EXPECT_NE(r.error.find("zzz...\""), std::string::npos) << r.error;
    const ScriptParseResult binary = parse(std::string("\xff\xfe\x00\x07 x", 6));
    ASSERT_FALSE(binary.ok);
    for (char c : binary.error) EXPECT_TRUE(c >= ' ' && c <= '~') << binary.error;
}

TEST(InputScript, UnreadableFileIsReportedWithItsName) {
    const ScriptParseResult missing = loadInputScript("/nonexistent/orvane/script.txt");
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.error.rfind("/nonexistent/orvane/script.txt: ", 0), 0u) << missing.error;
    const ScriptParseResult directory = loadInputScript(ORVANE_SOURCE_DIR);
    EXPECT_FALSE(directory.ok);
    EXPECT_NE(directory.error.find(ORVANE_SOURCE_DIR), std::string::npos);
}

TEST(InputScript, SampleScriptsParse) {
    const std::filesystem::path dir = std::filesystem::path(ORVANE_SOURCE_DIR) / "tools/sim/examples";
    int scripts = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        const ScriptParseResult r = loadInputScript(entry.path().string());
        EXPECT_TRUE(r.ok) << r.error;
        EXPECT_FALSE(r.events.empty()) << entry.path();
        ++scripts;
    }
    EXPECT_GE(scripts, 3);
}

TEST_F(ScriptDelivery, EventsReachTheWindowsHandlers) {
    const ScriptParseResult r = parse(
        "0 key-down w\n"
        "0 special-down left\n"
        "0 motion 300 200\n"
        "0 key-down space\n"
        "0 motion 300 190\n");
    ASSERT_TRUE(r.ok) << r.error;
    for (const ScriptEvent& e : r.events) deliverScriptEvent(world, e);
    EXPECT_TRUE(input.moveForward);
    EXPECT_TRUE(input.cameraMoving);
    EXPECT_TRUE(input.tiltLeft);
    EXPECT_TRUE(input.ballControl);
    EXPECT_TRUE(input.panMode);
    EXPECT_EQ(camera.yaw, -120.0f);
    EXPECT_EQ(camera.pitch, -200.0f);
    EXPECT_EQ(input.lastMouseY, 190);

    deliverScriptEvent(world, onlyEvent("0 key-up w"));
    deliverScriptEvent(world, onlyEvent("0 special-up left"));
    EXPECT_FALSE(input.moveForward);
    EXPECT_FALSE(input.tiltLeft);
    EXPECT_FALSE(input.ballControl);
    deliverScriptEvent(world, onlyEvent("0 key-down 1"));
    EXPECT_TRUE(ball.showParticles);
}

TEST(InputScript, ReadsTheMouseWindowAndPacingEvents) {
    const ScriptParseResult r = parse(
        "0 button-down left 10 -20\n"
        "0 drag -100000 100000\n"
        "1 button-up right 3 4\n"
        "1 button-down middle 0 0\n"
        "2 reshape 0 16384\n"
        "2 pace 8\n"
        "2 pace off\n"
        "3 special-down f1\n"
        "3 key-down 0x7f\n"
        "4 end\n");
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_EQ(r.events.size(), 10u);
    EXPECT_EQ(r.events[0].kind, ScriptEventKind::ButtonDown);
    EXPECT_EQ(r.events[0].button, MouseButton::Left);
    EXPECT_EQ(r.events[0].y, -20);
    EXPECT_EQ(r.events[1].kind, ScriptEventKind::Drag);
    EXPECT_EQ(r.events[1].x, -100000);
    EXPECT_EQ(r.events[2].button, MouseButton::Right);
    EXPECT_EQ(r.events[3].button, MouseButton::Middle);
    EXPECT_EQ(r.events[4].kind, ScriptEventKind::Reshape);
    EXPECT_EQ(r.events[4].height, 16384);
    EXPECT_EQ(r.events[5].steps, 8);
    EXPECT_EQ(r.events[6].steps, ScriptEvent::kPaceOff);
    EXPECT_EQ(r.events[7].key, kSpecialKeyF1);
    EXPECT_EQ(r.events[8].key, 0x7f);
    EXPECT_EQ(r.events[9].kind, ScriptEventKind::End);
}

TEST(InputScript, RefusesMalformedNewEventsNamingTheLine) {
    expectRefused("0 button-down top 1 2\n", 1, "bad button \"top\"");
    expectRefused("0 button-up left 1\n", 1, "missing argument for button-up");
    expectRefused("0 drag 1 2 3\n", 1, "extra field \"3\" after drag");
    expectRefused("0 drag 1 100001\n", 1, "drag y \"100001\" is not an integer from -100000 to 100000");
    expectRefused("0 reshape -1 10\n", 1, "reshape width \"-1\" is not an integer from 0 to 16384");
    expectRefused("0 reshape 10 16385\n", 1, "reshape height \"16385\"");
    expectRefused("0 pace 9\n", 1, "bad pace \"9\"");
    expectRefused("0 pace -1\n", 1, "bad pace");
    expectRefused("0 end now\n", 1, "extra field \"now\" after end");
    expectRefused("0 key-down 0x1g\n", 1, "bad key \"0x1g\"");
    expectRefused("0 special-down f13\n", 1, "bad special key \"f13\"");
    expectRefused("0 pointer grab\n", 1, "bad pointer mode \"grab\" (look or hand)");
    expectRefused("0 pointer\n", 1, "missing argument for pointer");
    expectRefused("0 compare maybe\n", 1, "bad compare \"maybe\" (on, off or copy)");
    expectRefused("0 set-b damping 51\n", 1, "damping \"51\" is not a number from 0 to 50");
    expectRefused("0 restart now\n", 1, "extra field \"now\" after restart");
    expectRefused("0 stopwatch lap\n", 1, "bad stopwatch action \"lap\" (start, stop, reset, auto-on or auto-off)");
    expectRefused("0 camera 0 7 16 180\n", 1, "missing argument for camera");
    expectRefused("0 camera 0 7 nan 180 0\n", 1, "camera z \"nan\" is not a number from -1e6 to 1e6");
    expectRefused("0 camera 0 7 16 2e6 0\n", 1, "camera yaw \"2e6\" is not a number");
}

TEST(InputScript, EveryEventWrittenOutReadsBackTheSame) {
    std::vector<ScriptEvent> events;
    auto add = [&](const ScriptEvent& e) { events.push_back(e.at(static_cast<long long>(events.size()) * 7)); };
    for (int key = 0; key < 256; ++key) add(ScriptEvent::keyDown(static_cast<unsigned char>(key)));
    for (const int key : {32, 35, 27, 97, 48, 9, 200}) add(ScriptEvent::keyUp(static_cast<unsigned char>(key)));
    for (const int key : {1, 12, 13, 100, 101, 102, 103, 65535}) add(ScriptEvent::specialDown(key));
    add(ScriptEvent::specialUp(101));
    add(ScriptEvent::motion(-100000, 100000));
    add(ScriptEvent::buttonDown(MouseButton::Right, 1, 2));
    add(ScriptEvent::buttonUp(MouseButton::Middle, -3, 4));
    add(ScriptEvent::drag(5, -6));
    add(ScriptEvent::hover(7, 8));
    add(ScriptEvent::reshape(0, 16384));
    add(ScriptEvent::pace(5));
    add(ScriptEvent::pace(ScriptEvent::kPaceOff));
    add(ScriptEvent::set(*findSetting("damping"), 0.1 + 0.2));
    add(ScriptEvent::set(*findSetting("rings"), 96));
    add(ScriptEvent::defaults());
    add(ScriptEvent::pointerMode(PointerMode::Hand));
    add(ScriptEvent::pointerMode(PointerMode::Look));
    add(ScriptEvent::seek(123456789012));
    for (const CompareAction action : {CompareAction::On, CompareAction::Off, CompareAction::Copy})
        add(ScriptEvent::compareMode(action));
    add(ScriptEvent::setB(*findSetting("timeStep"), 0.05));
    add(ScriptEvent::ballLook(BallLook::Jelly));
    add(ScriptEvent::restart());
    for (const StopwatchAction action : {StopwatchAction::Start, StopwatchAction::Stop, StopwatchAction::Reset,
                                         StopwatchAction::AutoOn, StopwatchAction::AutoOff})
        add(ScriptEvent::stopwatchAction(action));
    Camera odd;
    odd.position = Vec3(0.1 + 0.2, -7.25, 1e-300);
    odd.yaw = 0.1f;
    odd.pitch = -89.999f;
    add(ScriptEvent::cameraPlace(odd));
    add(ScriptEvent::end());

    std::string text;
    for (const ScriptEvent& e : events) text += formatScriptEvent(e) + "\n";
    const ScriptParseResult r = parse(text);
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_EQ(r.events.size(), events.size());
    for (std::size_t i = 0; i < events.size(); ++i) {
        const ScriptEvent& a = events[i];
        const ScriptEvent& b = r.events[i];
        EXPECT_TRUE(a.step == b.step && a.kind == b.kind && a.key == b.key && a.button == b.button && a.x == b.x &&
                    a.y == b.y && a.width == b.width && a.height == b.height && a.steps == b.steps &&
                    a.setting == b.setting && a.value == b.value && a.pointer == b.pointer)
            << formatScriptEvent(a) << " read back as " << formatScriptEvent(b);
        EXPECT_EQ(a, b);
    }
    EXPECT_EQ(formatScriptEvent(events[' ']), "224 key-down space");
    EXPECT_EQ(formatScriptEvent(events[27]), "189 key-down esc");
    EXPECT_EQ(formatScriptEvent(events[9]), "63 key-down tab");
    EXPECT_EQ(formatScriptEvent(events[10]), "70 key-down 0x0a");
    EXPECT_NE(events[0], events[1]);
    EXPECT_NE(ScriptEvent::motion(1, 2), ScriptEvent::drag(1, 2));
}

TEST(InputScript, TheHelpNamesEveryEventWithItsArguments) {
    const std::string help = scriptEventsUsage();
    for (const char* head : {"key-down C", "special-up K", "button-down B X Y", "reshape W H", "pace N|off", "end ",
                             "set NAME VALUE", "defaults ", "pointer look|hand", "hover X Y", "seek STEP",
                             "compare on|off|copy", "set-b NAME VALUE", "look classic|jelly", "restart ",
                             "stopwatch start|stop|reset|auto-on|auto-off", "camera X Y Z YAW PITCH"})
        EXPECT_NE(help.find(std::string("  ") + head), std::string::npos) << head;
    std::size_t start = 0;
    for (std::size_t end; (end = help.find('\n', start)) != std::string::npos; start = end + 1)
        EXPECT_LE(end - start, 79u) << help.substr(start, end - start);
}

TEST_F(ScriptDelivery, EndAndEscQuitTheReplayAndAReshapeAsksToFollow) {
    EXPECT_EQ(deliverScriptEvent(world, onlyEvent("0 end")), InputResponse::Quit);
    EXPECT_EQ(deliverScriptEvent(world, onlyEvent("0 key-down esc")), InputResponse::Quit);
    EXPECT_EQ(deliverScriptEvent(world, onlyEvent("0 reshape 800 0")), InputResponse::Resize);
    EXPECT_EQ(world.window.width, 800);
    EXPECT_EQ(world.window.height, 1);
    EXPECT_EQ(deliverScriptEvent(world, onlyEvent("0 pace 2")), InputResponse::None);
    EXPECT_EQ(world.run.pacedSteps, 2);
}

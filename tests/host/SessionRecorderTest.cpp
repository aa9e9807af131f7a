#include "platform/host/SessionRecorder.h"

#include "platform/host/HostOptions.h"
#include "platform/host/KeyboardNavigation.h"
#include "platform/host/RunLoopTurn.h"
#include "platform/quartzcore/CAAnimationEngine.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIView.h"
#include "app/Zentrova3Application.h"
#include "platform/uikit/UIButton.h"
#include "screens/RootViewController.h"
#include "tests/support/AppHarness.h"
#include "tests/support/RunMain.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace {

// What the window does with the mouse, without a window: the recorder hears of each touch
// before the app does, and a press held for some time lets the animation clock run that long.
class Session {
public:
    explicit Session(AppHarness& app)
        : _app(app)
        , _recorder(app.application(), [this](std::string_view line) {
            _lines << line;
            return true;
        })
    {
    }

    void press(std::vector<CGPoint> path, double seconds = 0.05)
    {
        auto& application = _app.application();
        _recorder.touchBegan(path.front(), _clock);
        application.sendTouch(UITouchPhase::Began, path.front());
        for (size_t i = 1; i < path.size(); ++i) {
            _recorder.touchMoved(path[i]);
            application.sendTouch(UITouchPhase::Moved, path[i]);
        }
        _clock += seconds;
        turnRunLoop([seconds](CAAnimationEngine& engine) { engine.advanceTo(engine.currentTime() + seconds); }, nullptr);
        _recorder.touchEnded(path.back(), _clock);
        application.sendTouch(UITouchPhase::Ended, path.back());
        Automation::settle();
    }

    void wheel(CGPoint over, CGFloat dy)
    {
        for (UIView* view = _app.application().hitTest(over); view; view = view->superview()) {
            if (view->scrollBy(dy)) {
                _recorder.wheelScrolled(*view, dy);
                break;
            }
        }
        Automation::settle();
    }

    void key(const std::string& name)
    {
        std::string error;
        auto press = parseKeyPress(name, error);
        ASSERT_TRUE(press) << error;
        if (pressKey(_app.application(), *press))
            _recorder.keyPressed(keyPressName(*press));
        Automation::settle();
    }

    SessionRecorder& recorder() { return _recorder; }
    std::string lines() const { return _lines.str(); }
    std::string lastLine() const
    {
        auto text = lines();
        text.pop_back();
        return text.substr(text.rfind('\n') + 1);
    }

private:
    AppHarness& _app;
    std::ostringstream _lines;
    SessionRecorder _recorder;
    double _clock = 100;
};

TEST(SessionRecorder, NamesWhatWasTouched)
{
    AppHarness app({ .device = "iphone-4s", .preferences = {} });
    Session session(app);
    session.recorder().writeHeader("Zentrova", *parseHostOptions({ "Zentrova", "--device", "iphone-4s" }).options, 0);
    EXPECT_EQ(session.lines(),
        "# Zentrova \xE2\x80\x94 iPhone 4S, recorded 1970-01-01 00:00:00 UTC\n"
        "# replay: Zentrova --headless --device iphone-4s --root ROOT --script THIS_FILE\n");

    // Anywhere on a button: its field name.
    session.press({ { 20, 212 } });
    EXPECT_EQ(session.lastLine(), "tap #respringButton");
    // A bar button: its title, the one part of the bar under the touch.
    session.press({ { 290, 42 } });
    EXPECT_EQ(session.lastLine(), "tap \"Settings\"");
    // Nothing with a name: the point, to a hundredth.
    session.press({ { CGFloat(3.456), 470.5 } });
    EXPECT_EQ(session.lastLine(), "tap 3.45,470.5");

    // A press that moves, or one held still, is a drag from point to point over its time.
    session.press({ { 100, 300 }, { 100, 290 }, { 120, 250 } }, 0.3);
    EXPECT_EQ(session.lastLine(), "drag 100,300 120,250 0.3");
    session.press({ { 30, 450 } }, 0.8);
    EXPECT_EQ(session.lastLine(), "drag 30,450 30,450 0.8");
}

TEST(SessionRecorder, ATwinTitleFallsBackToTheFieldNameOrThePoint)
{
    AppHarness app({ .device = "iphone-4s", .preferences = {} });
    auto twin = UIButton::buttonWithType(UIButtonTypeSystem);
    twin->setTitle("Respring", UIControlStateNormal);
    twin->setFrame(CGRectMake(10, 400, 300, 30));
    app.root().view()->addSubview(twin);
    Session session(app);
    session.press({ { 160, 220 } });
    EXPECT_EQ(session.lastLine(), "tap #respringButton");
    // The twin has no field name and its title names two buttons.
    session.press({ { 50, 435 } });
    EXPECT_EQ(session.lastLine(), "tap 50,435");
}

// A whole session replays headless to the same screen, calls and preferences.
TEST(SessionRecorder, ASessionReplaysToTheSameState)
{
    std::map<std::string, bool> preferences { { "alertSwitch.enabled", true } };
    std::string script;
    nlohmann::json recordedTree;
    std::vector<std::string> recordedCalls;
    {
        AppHarness app({ .device = "iphone-4s", .preferences = preferences });
        Session session(app);
        session.press({ { 160, 220 } });  // Respring: the alert
        session.key("Escape");            // "No"
        session.press({ { 160, 220 } });
        session.key("Return");            // "Yes"
        session.press({ { 290, 42 } });   // Settings
        session.key("Tab");               // Back
        session.key("Tab");               // the light switch
        session.key("space");
        session.key("alt+Left");          // Back
        session.press({ { 30, 42 } });    // Changelog
        session.press({ { 160, 400 }, { 160, 380 }, { 160, 250 } }, 0.2);
        session.wheel({ 160, 300 }, 40);
        session.press({ { 160, 200 } }, 0.7);  // held: selects a word
        session.press({ { 160, 300 } });       // a quick touch on the text clears it again? Either way, the same.
        script = session.lines();
        recordedTree = app.tree();
        recordedCalls = app.system().calls();
    }
    EXPECT_NE(script.find("tap #respringButton\nkey Escape\ntap #respringButton\nkey Return\n"), std::string::npos) << script;
    EXPECT_NE(script.find("key Tab\nkey Tab\nkey space\nkey alt+Left\n"), std::string::npos) << script;
    EXPECT_NE(script.find("scroll #changes 40\n"), std::string::npos) << script;
    EXPECT_EQ(recordedCalls, std::vector<std::string> { "system(\"killall -9 SpringBoard\")" });

    auto parsed = parseAutomationScript(script, CGSize { 320, 480 });
    ASSERT_EQ(parsed.error, "") << script;
    AppHarness replay({ .device = "iphone-4s", .preferences = preferences });
    for (auto& command : parsed.commands)
        ASSERT_EQ(replay.automation().execute(command), "") << "line " << command.line << " of\n" << script;
    EXPECT_EQ(replay.tree(), recordedTree) << script;
    EXPECT_EQ(replay.system().calls(), recordedCalls);
}

// A session recorded with --dry-run replays only with --dry-run, and its replay line says so.
TEST(SessionRecorder, ADryRunStaysDry)
{
    AppHarness app({ .device = "iphone-4s", .preferences = {} });
    Session session(app);
    auto options = parseHostOptions({ "Zentrova", "--dry-run", "--screen", "320x500", "--scale", "3" }).options;
    session.recorder().writeHeader("Zentrova", *options, 0);
    session.key("Tab");
    EXPECT_EQ(session.lines(),
        "# Zentrova \xE2\x80\x94 Custom 320x500, recorded 1970-01-01 00:00:00 UTC\n"
        "# recorded with --dry-run: replay it with --dry-run\n"
        "# replay: Zentrova --headless --dry-run --screen 320x500 --scale 3 --root ROOT --script THIS_FILE\n"
        "key Tab\n");

    TempDir dir;
    auto script = (dir.path() / "session.txt").string();
    std::ofstream(script) << session.lines() << "tree\n";
    auto refused = runMain({ "--root", dir.path().string(), "--screen", "320x500", "--script", script });
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(refused.err, "Zentrova: the script '" + script + "' was recorded with --dry-run and is replayed only with --dry-run\n");

    auto replayed = runMain({ "--root", dir.path().string(), "--dry-run", "--screen", "320x500", "--script", script });
    EXPECT_EQ(replayed.status, 0) << replayed.err;
    EXPECT_NE(replayed.out.find("\"focused\":true"), std::string::npos) << replayed.out;
}

TEST(SessionRecorder, TheFileIsARegularFileWrittenLineByLine)
{
    TempDir dir;
    auto path = (dir.path() / "session.txt").string();
    std::ofstream(path) << "old contents that are longer than the new\n";
    std::string error;
    auto file = RecordingFile::open(path, error);
    ASSERT_TRUE(file) << error;
    EXPECT_TRUE(file->write("tap #a\n"));
    // On disk at once, before the file is closed.
    std::ifstream in(path);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "tap #a\n");

    ASSERT_EQ(mkfifo((dir.path() / "pipe").c_str(), 0600), 0);
    for (auto bad : { dir.path().string(), (dir.path() / "pipe").string(), std::string("/dev/null"),
             (dir.path() / "no/such/folder").string() }) {
        SCOPED_TRACE(bad);
        error.clear();
        EXPECT_FALSE(RecordingFile::open(bad, error));
        EXPECT_NE(error.find("--record"), std::string::npos) << error;
    }
}

TEST(SessionRecorder, RecordingIsForTheWindowOnly)
{
    TempDir dir;
    auto path = (dir.path() / "session.txt").string();
    auto good = parseHostOptions({ "Zentrova", "--record", path, "--device", "ipad" });
    ASSERT_TRUE(good.options) << good.error;
    EXPECT_EQ(*good.options->recordPath, path);
    for (std::vector<std::string> bad : { std::vector<std::string> { "Zentrova", "--record", path, "--headless" },
             { "Zentrova", "--script", path, "--record", path }, { "Zentrova", "--record", path, "--screenshot", path },
             { "Zentrova", "--record" } }) {
        SCOPED_TRACE(bad[1] + " " + bad.back());
        auto result = parseHostOptions(bad);
        EXPECT_FALSE(result.options);
        EXPECT_NE(result.error.find("--record"), std::string::npos) << result.error;
    }
}

} // namespace

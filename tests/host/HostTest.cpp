#include "platform/host/Automation.h"
#include "platform/host/HostOptions.h"

#include "screens/RootViewController.h"
#include "tests/support/AppHarness.h"
#include "tests/support/GoldenTree.h"
#include "tests/support/RunMain.h"
#include "tests/support/ScopedEnvironmentVariable.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string writeScript(const TempDir& dir, const std::string& text)
{
    auto path = (dir.path() / "script.txt").string();
    std::ofstream(path) << text;
    return path;
}

TEST(HostOptions, DevicesScreensAndErrors)
{
    TempDir root;
    auto parsed = parseHostOptions({ "Zentrova", "--device", "ipad", "--scale", "1", "--dry-run", "--root", root.path().string() });
    ASSERT_TRUE(parsed.options);
    EXPECT_EQ(parsed.options->device.name, "ipad");
    EXPECT_EQ(parsed.options->device.width, 768);
    EXPECT_EQ(parsed.options->device.scale, 1);
    EXPECT_TRUE(parsed.options->dryRun);
    EXPECT_EQ(parsed.options->root, root.path().string());

    parsed = parseHostOptions({ "Zentrova", "--screen", "400x700" });
    ASSERT_TRUE(parsed.options);
    EXPECT_EQ(parsed.options->device.height, 700);

    parsed = parseHostOptions({ "Zentrova" });
    ASSERT_TRUE(parsed.options);
    EXPECT_EQ(parsed.options->device.name, "iphone-5s");

    for (std::vector<std::string> bad : { std::vector<std::string> { "Zentrova", "--device", "nokia" },
             { "Zentrova", "--bogus" }, { "Zentrova", "--screen", "320" }, { "Zentrova", "--scale", "0" },
             { "Zentrova", "--status-time", "25:00" }, { "Zentrova", "--root" },
             { "Zentrova", "--device", "ipad", "--screen", "1x1" } }) {
        SCOPED_TRACE(bad.back());
        auto result = parseHostOptions(bad);
        EXPECT_FALSE(result.options);
        EXPECT_FALSE(result.error.empty());
    }
}

// A message is one line of printable text, short whatever it was given.
void expectOneTidyLine(const std::string& message)
{
    EXPECT_FALSE(message.empty());
    EXPECT_LT(message.size(), 300u) << message.substr(0, 300);
    for (unsigned char c : message)
        EXPECT_TRUE(c >= 0x20 && c < 0x7F) << "byte " << int(c) << " in " << message.substr(0, 300);
}

TEST(HostOptions, HostileArgumentsAreRefusedWithOneLine)
{
    TempDir dir;
    auto folder = dir.path().string();
    auto file = (dir.path() / "file").string();
    std::ofstream(file) << "x";
    std::string flood(1 << 20, '\x1b');
    const std::vector<std::vector<std::string>> cases = {
        { "--scale", "0.5" },
        { "--scale", "4.01" },
        { "--scale", "nan" },
        { "--scale", "inf" },
        { "--scale", "1e400" },
        { "--scale", "2x" },
        { "--scale", "" },
        { "--screen", "0.0001x0.0001" },
        { "--screen", "100000x100000" },
        { "--screen", "239x480" },
        { "--screen", "320x4097" },
        { "--screen", "nanx480" },
        { "--screen", "320xinf" },
        { "--screen", "1e-320x480" },
        { "--screen", "320x" },
        { "--screen", "x480" },
        { "--screen", "320x480x2" },
        { "--root", file },
        { "--root", folder + "/missing" },
        { "--root", "/dev/null" },
        { "--root", folder, "--root", folder },
        { "--dry-run", "--dry-run" },
        { "--scale", "1", "--scale", "2" },
        { "--device", "ipad", "--device", "ipad" },
        { "--status-time", "9:41", "--status-time", "9:42" },
        { flood },
        { "--device", flood },
        { "--screen", flood },
    };
    for (auto arguments : cases) {
        SCOPED_TRACE(arguments.front() + " " + (arguments.size() > 1 ? arguments[1].substr(0, 40) : ""));
        arguments.insert(arguments.begin(), "Zentrova");
        auto result = parseHostOptions(arguments);
        EXPECT_FALSE(result.options);
        expectOneTidyLine(result.error);
    }

    // The bounds themselves are fine, and --help says what they are.
    auto parsed = parseHostOptions({ "Zentrova", "--screen", "240x4096", "--scale", "4" });
    ASSERT_TRUE(parsed.options) << parsed.error;
    EXPECT_EQ(parsed.options->device.height, 4096);
    EXPECT_NE(hostUsage("Zentrova").find("240 to 4096"), std::string::npos);
}

TEST(HostMain, HostileScriptsRunNothing)
{
    TempDir dir;
    auto root = dir.path().string();
    auto run = [&](const std::string& text) {
        return runMain({ "--dry-run", "--root", root, "--script", writeScript(dir, text) });
    };
    const std::vector<std::pair<const char*, std::string>> cases = {
        { "not a number", "tap \"Respring\"\ntap nan,5\n" },
        { "infinite", "tap \"Respring\"\ntap 5,-inf\n" },
        { "off the screen", "tap \"Respring\"\ntap 320,5\n" },
        { "far off the screen", "tap \"Respring\"\ntap 1e300,5\n" },
        { "control characters", "tap \"Respring\"\ntap \"\x1b[2J\"\n" },
        { "a long line", "tap \"Respring\"\ntap \"" + std::string(5000, 'a') + "\"\n" },
        { "too large", "tap \"Respring\"\n" + std::string(2 << 20, '\n') },
        { "a flood of a verb", "tap \"Respring\"\n" + std::string(4000, '\x7f') },
    };
    for (auto& [name, text] : cases) {
        SCOPED_TRACE(name);
        auto result = run(text);
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.out, "");
        expectOneTidyLine(result.err.substr(0, result.err.find('\n')));
        EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err.substr(0, 300);
    }

    // A number too small for strtod is still a number: a point on the screen's edge.
    auto result = run("tap 1e-320,5\ntap \"Respring\"\n");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "system(\"killall -9 SpringBoard\")\n");

    result = runMain({ "--dry-run", "--root", root, "--script", root });
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find("not a file or a pipe"), std::string::npos) << result.err;
}

TEST(HostMain, AScriptMayComeThroughAPipe)
{
    TempDir dir;
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    std::string text = "tap \"Respring\"\n";
    ASSERT_EQ(write(pipeEnds[1], text.data(), text.size()), ssize_t(text.size()));
    close(pipeEnds[1]);
    auto result = runMain({ "--dry-run", "--root", dir.path().string(), "--script", "/dev/fd/" + std::to_string(pipeEnds[0]) });
    close(pipeEnds[0]);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "system(\"killall -9 SpringBoard\")\n");
}

// Every form an option may take, and what a mistake in one gets.
TEST(HostOptions, Grammar)
{
    TempDir dir;
    auto root = dir.path().string();
    struct Case {
        std::vector<std::string> arguments;
        std::string error; // empty: parses
    };
    const std::vector<Case> cases = {
        { { "--device", "ipad" }, "" },
        { { "--device=ipad" }, "" },
        { { "--root=" + root, "--scale=2", "--status-time=9:41" }, "" },
        { { "--screen=400x700", "--dry-run", "--headless" }, "" },
        { { "-h" }, "" },
        { { "--version" }, "" },
        { { "--device=" }, "unknown device ''" },
        { { "--root=" }, "--root needs a value" },
        { { "--device" }, "--device needs a value" },
        { { "--dry-run=yes" }, "--dry-run takes no value" },
        { { "--device=ipad", "--device", "ipad" }, "--device is given more than once" },
        { { "--devcie", "ipad" }, "unknown option '--devcie'; did you mean --device?" },
        { { "--devcie=ipad" }, "unknown option '--devcie'; did you mean --device?" },
        { { "--dryrun" }, "unknown option '--dryrun'; did you mean --dry-run?" },
        { { "-device", "ipad" }, "unknown option '-device'; did you mean --device?" },
        { { "--screen-shot", "a.png" }, "unknown option '--screen-shot'; did you mean --screenshot?" },
        { { "--stat" }, "unknown option '--stat'; did you mean --status-time?" },
        { { "--colour" }, "unknown option '--colour'" },
        { { "-x" }, "unknown option '-x'" },
        { { "ipad" }, "unexpected argument 'ipad'" },
        { { "--" + std::string(5000, 'd') }, "unknown option '--dddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddd'... (5002 bytes)" },
    };
    for (auto& [arguments, error] : cases) {
        SCOPED_TRACE(arguments.front().substr(0, 40));
        auto withProgram = arguments;
        withProgram.insert(withProgram.begin(), "Zentrova");
        auto result = parseHostOptions(withProgram);
        EXPECT_EQ(result.error, error);
        EXPECT_EQ(bool(result.options), error.empty());
    }
    EXPECT_EQ(parseHostOptions({ "Zentrova", "--device=ipad" }).options->device.name, "ipad");
}

// The manual page keeps up with the program: every option --help names has its place in it.
TEST(HostOptions, TheManualPageHasEveryOption)
{
    std::ifstream in(std::string(ZENTROVA_TEST_DIR) + "/../packaging/zentrova.1");
    ASSERT_TRUE(in);
    std::string page(std::istreambuf_iterator<char>(in), {});
    // roff writes a minus sign as \-.
    for (size_t at = 0; (at = page.find("\\-", at)) != std::string::npos;)
        page.replace(at, 2, "-");
    auto usage = hostUsage("Zentrova");
    size_t options = 0;
    for (size_t at = 0; (at = usage.find("--", at)) != std::string::npos; ++options) {
        size_t end = usage.find_first_not_of("abcdefghijklmnopqrstuvwxyz-", at + 2);
        auto option = usage.substr(at, end - at);
        // An entry is a tagged paragraph whose tag names the option: ".TP", then ".B --dry-run",
        // ".BI --root " DIR"" or ".BR -h ", " --help".
        bool entry = false;
        for (size_t tag = 0; !entry && (tag = page.find(".TP\n.B", tag)) != std::string::npos; ++tag) {
            auto line = page.substr(tag + 4, page.find('\n', tag + 4) - tag - 4);
            auto found = line.find(option);
            entry = found != std::string::npos && (found + option.size() == line.size() || line[found + option.size()] == ' ');
        }
        EXPECT_TRUE(entry) << option << " has no entry in the manual page";
        at = end;
    }
    EXPECT_GE(options, 12u);
}

// What a person sees when an option is wrong, and what --version and --help print.
TEST(HostMain, ConventionsOfAProgram)
{
    auto result = runMain({ "--devcie", "ipad", "--headless" });
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "Zentrova: unknown option '--devcie'; did you mean --device?\n"
                          "Try 'Zentrova --help' for more information.\n");
    EXPECT_EQ(result.out, "");

    result = runMain({ "--version" });
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "Zentrova " ZENTROVA_TEST_VERSION "\n");

    result = runMain({ "--help" });
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, hostUsage("Zentrova"));
    EXPECT_EQ(result.out.substr(0, result.out.find("\nan option")),
        "usage: Zentrova [--device NAME | --screen WxH] [--scale N] [--root DIR] [--dry-run] [--headless]\n"
        "       [--script FILE] [--screenshot FILE] [--status-time HH:MM] [--record FILE] [--help] [--version]");
    EXPECT_EQ(result.err, "");
}

// No output file is opened before it is written, none but a regular file is written, and a refused
// one is left as it was: nothing waits on a pipe without a reader, nothing empties a file.
TEST(HostMain, OutputsThatAreRefused)
{
    TempDir dir;
    auto root = dir.path().string();
    auto fifo = (dir.path() / "fifo").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    auto kept = (dir.path() / "kept.txt").string();
    std::ofstream(kept) << "keep me\n";
    struct Case {
        std::vector<std::string> arguments;
        std::string script;
        std::string error;
    };
    const std::vector<Case> cases = {
        { { "--screenshot", root }, "", "Zentrova: --screenshot '" + root + "': is a folder\nTry" },
        { { "--screenshot", root + "/no/shot.png" }, "", "Zentrova: --screenshot '" + root + "/no/shot.png': no such folder\nTry" },
        { { "--screenshot", fifo }, "", "Zentrova: --screenshot '" + fifo + "': is not a regular file (a pipe, a device or a socket)\nTry" },
        { { "--screenshot", "/dev/null" }, "", "Zentrova: --screenshot '/dev/null': is not a regular file" },
        { { "--record", fifo }, "", "Zentrova: --record '" + fifo + "': is not a regular file" },
        { { "--headless" }, "screenshot " + fifo + "\n", "line 1: cannot write '" + fifo + "': is not a regular file" },
        { { "--headless" }, "tree " + fifo + "\n", "line 1: cannot write '" + fifo + "': is not a regular file" },
        { { "--headless" }, "tree " + root + "\n", "line 1: cannot write '" + root + "': is a folder" },
        { { "--headless" }, "tree " + root + "/no/tree.json\n", "line 1: cannot write '" + root + "/no/tree.json': no such folder" },
    };
    for (auto& [arguments, script, error] : cases) {
        SCOPED_TRACE(arguments.front() + " " + arguments.back() + " " + script);
        std::vector<std::string> all { "--dry-run", "--root", root };
        all.insert(all.end(), arguments.begin(), arguments.end());
        if (!script.empty()) {
            all.push_back("--script");
            all.push_back(writeScript(dir, script));
        }
        auto result = runMain(all);
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.err.substr(0, error.size()), error) << result.err;
    }
    // A recording is made only once there is a window to record; without one, the file is as it was.
    {
        ScopedEnvironmentVariable display("DISPLAY", std::nullopt), wayland("WAYLAND_DISPLAY", std::nullopt);
        auto result = runMain({ "--dry-run", "--root", root, "--record", kept });
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.err, "Zentrova: no display; --record records the window, and there is none\n");
    }
    std::ifstream in(kept);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "keep me\n");
    struct stat info { };
    ASSERT_EQ(stat(fifo.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

TEST(HostMain, ABadScriptRunsNothing)
{
    TempDir dir;
    auto script = writeScript(dir, "tap \"Respring\"\n# a comment\n\njump \"Reboot\"\n");
    auto result = runMain({ "--dry-run", "--root", dir.path().string(), "--script", script });
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find("line 4: unknown command 'jump'"), std::string::npos) << result.err;
    EXPECT_EQ(result.out, "");

    result = runMain({ "--dry-run", "--root", dir.path().string(), "--script", (dir.path() / "missing.txt").string() });
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find("cannot read script"), std::string::npos);
}

TEST(HostMain, AScriptPressesEveryButton)
{
    TempDir dir;
    auto script = writeScript(dir,
        "tap #rebootButton\ntap #shutdownButton\ntap \"Respring\"  # the home screen\ntap \"Safe Mode\"\n"
        "tap \"Non-MobileSubstrate Mode\"\ntap \"Refresh Cache\"\nquit\ntap \"Reboot\"\n");
    auto result = runMain({ "--dry-run", "--device", "iphone-4s", "--root", dir.path().string(), "--script", script });
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out,
        "setuid(0)\nsetgid(0)\nsystem(\"kill 1\")\n"
        "setuid(0)\nsetgid(0)\nsystem(\"halt\")\n"
        "system(\"killall -9 SpringBoard\")\n"
        "system(\"touch /var/mobile/Library/Preferences/com.belvon.mobilesubstrate.dat\")\n"
        "system(\"killall SpringBoard\")\n"
        "system(\"killall -SEGV SpringBoard\")\n"
        "system(\"uicache\")\n");
}

TEST(HostMain, AFailingTapStopsTheScript)
{
    TempDir dir;
    auto script = writeScript(dir, "tap \"Power Off\"\ntap \"Respring\"\n");
    auto result = runMain({ "--dry-run", "--root", dir.path().string(), "--script", script });
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find("line 1: nothing on screen matches \"Power Off\""), std::string::npos) << result.err;
    EXPECT_EQ(result.out, "");
}

TEST(Automation, SelectorErrorsNameTheCandidates)
{
    AppHarness app;
    auto& automation = app.automation();
    EXPECT_NE(automation.tap("#noSuchButton").find("nothing on screen matches #noSuchButton"), std::string::npos);
    EXPECT_NE(automation.tap("400,10").find("outside the screen"), std::string::npos);

    // A second button with a taken title makes the selector ambiguous.
    auto twin = UIButton::buttonWithType(UIButtonTypeSystem);
    twin->setTitle("Respring", UIControlStateNormal);
    twin->setFrame(CGRectMake(10, 500, 300, 30));
    app.root().view()->addSubview(twin);
    auto error = automation.tap("\"Respring\"");
    EXPECT_NE(error.find("matches 2 elements"), std::string::npos) << error;
    EXPECT_NE(error.find("#respringButton"), std::string::npos) << error;
    EXPECT_TRUE(app.system().calls().empty());
    // The identifier still names exactly one.
    EXPECT_EQ(automation.tap("#respringButton"), "");
    EXPECT_EQ(app.system().calls().size(), 1u);
}

TEST(Automation, ScriptGrammar)
{
    auto script = parseAutomationScript("# header\n  tap #rebootButton # trailing\ntap 10,20\n\ntree out.json\nsettle\nquit\n");
    ASSERT_EQ(script.error, "");
    ASSERT_EQ(script.commands.size(), 5u);
    EXPECT_EQ(script.commands[0].argument, "#rebootButton");
    EXPECT_EQ(script.commands[0].line, 2);
    EXPECT_EQ(script.commands[1].argument, "10,20");
    EXPECT_EQ(script.commands[2].argument, "out.json");

    for (const char* bad : { "tap", "tap \"unterminated", "tap 10;20", "settle now", "screenshot", "press #x" }) {
        SCOPED_TRACE(bad);
        EXPECT_NE(parseAutomationScript(bad).error, "");
    }
}

TEST(Automation, TreeHasTheDocumentedShape)
{
    AppHarness app({ .device = "iphone-4s", .preferences = {} });
    auto tree = app.tree();
    EXPECT_EQ(tree["device"]["name"], "iphone-4s");
    EXPECT_EQ(tree["device"]["bounds"], nlohmann::json::array({ 0, 0, 320, 480 }));
    EXPECT_EQ(tree["device"]["applicationFrame"], nlohmann::json::array({ 0, 20, 320, 460 }));
    EXPECT_EQ(tree["presented"], nlohmann::json::array());
    EXPECT_EQ(tree["alerts"], nlohmann::json::array());
    auto& window = tree["keyWindow"];
    EXPECT_EQ(window["class"], "UIWindow");
    auto& root = window["subviews"][0];
    EXPECT_EQ(root["controller"], "RootViewController");
    EXPECT_EQ(root["backgroundColor"], nlohmann::json::array({ 0, 0, 0, 1 }));
    auto& bar = root["subviews"][0];
    EXPECT_EQ(bar["id"], "navBar");
    EXPECT_EQ(bar["items"][0]["leftBarButtonItem"]["title"], "Changelog");
    auto& respring = root["subviews"][3];
    EXPECT_EQ(respring["id"], "respringButton");
    EXPECT_EQ(respring["font"], (nlohmann::json { { "name", "System" }, { "size", 20 }, { "bold", false } }));
    EXPECT_EQ(respring["frame"], nlohmann::json::array({ 10, 185, 300, 30 }));
}

// The whole launched root screen of each build, key by key.
TEST(Automation, RootTreeMatchesItsGolden)
{
    for (const char* device : { "iphone-4s", "ipad" }) {
        AppHarness app({ .device = device, .preferences = {} });
        EXPECT_TRUE(test::matchesGoldenTree(app.tree(), test::profileGoldenName(std::string("tree-root-") + device)));
    }
}

} // namespace

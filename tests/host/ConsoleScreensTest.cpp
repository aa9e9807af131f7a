#include "platform/host/HeadlessHost.h"
#include "tests/support/AppHarness.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>

// What the console prints for each of the app's screens, in both builds: one line a view, in the
// order a reader takes in the screen.
namespace {

constexpr const char* kRootScreen = "bar: \"Zentrova\"  left: \"Changelog\"  right: \"Settings\"\n"
                                    "button: \"Reboot\"  #rebootButton\n"
                                    "button: \"Shut Down\"  #shutdownButton\n"
                                    "button: \"Respring\"  #respringButton\n"
                                    "button: \"Safe Mode\"  #safemodeButton\n"
                                    "button: \"Non-MobileSubstrate Mode\"  #noSubstrateButton\n"
                                    "button: \"Refresh Cache\"  #minispringButton\n";

TEST(ConsoleScreens, RootScreenListsTheBarThenTheButtonsTopDown)
{
    AppHarness app;
    EXPECT_EQ(app.automation().describeScreen(), kRootScreen);
}

TEST(ConsoleScreens, SettingsPutEachLabelBeforeItsSwitchAndShowTheirState)
{
    // The screen adds its switches before their labels; the console still reads row by row.
    AppHarness app({ .preferences = { { "alertSwitch.enabled", true } } });
    app.tap("\"Settings\"");
    EXPECT_EQ(app.automation().describeScreen(),
        "bar: \"Zentrova\"  left: \"Back\"\n"
        "label: \"Light Theme\"  #lightsLabel\n"
        "switch: #lightSwitch  off\n"
        "label: \"Alerts\"  #textLabel1\n"
        "switch: #alertSwitch  on\n"
        "button: #donateButton  image 147x47 px\n");
    app.tap("#lightSwitch");
    EXPECT_NE(app.automation().describeScreen().find("switch: #lightSwitch  on\n"), std::string::npos);
}

TEST(ConsoleScreens, ChangelogShowsItsFirstLineAndHowFarItIsScrolled)
{
    std::string changelog = "Version 3.0 \"Tab\there\"\n";
    for (int i = 0; i < 200; ++i)
        changelog += "- a change that the app went through\n";
    AppHarness app({ .preferences = {}, .changelog = changelog });
    app.tap("\"Changelog\"");
    auto screen = app.automation().describeScreen();
    std::smatch match;
    ASSERT_TRUE(std::regex_search(screen, match,
        std::regex("^bar: \"Changelog\"  left: \"Back\"\ntext: #changes  \"Version 3\\.0 \\\\\"Tab\\\\there\\\\\"…\"  "
                   "scrolled 0 of ([0-9]+) pt\n$")))
        << screen;
    std::string end = match[1];

    ASSERT_EQ(app.automation().scroll({ "#changes", 100 }), "");
    EXPECT_NE(app.automation().describeScreen().find("scrolled 100 of " + end + " pt\n"), std::string::npos);
    ASSERT_EQ(app.automation().scroll({ "#changes", 1e6 }), "");
    EXPECT_NE(app.automation().describeScreen().find("scrolled " + end + " of " + end + " pt\n"), std::string::npos);

    // A changelog that fits has nowhere to scroll to.
    AppHarness shortLog({ .preferences = {}, .changelog = "Version 3.0\n" });
    shortLog.tap("\"Changelog\"");
    EXPECT_NE(shortLog.automation().describeScreen().find("text: #changes  \"Version 3.0\"  all shown\n"),
        std::string::npos)
        << shortLog.automation().describeScreen();
}

TEST(ConsoleScreens, AnAlertComesAfterTheScreenAsItsTitleMessageAndAnswers)
{
    AppHarness app({ .preferences = { { "alertSwitch.enabled", true } } });
    app.tap("\"Respring\"");
    // The alert's own labels and buttons are not listed again as views of their own.
    EXPECT_EQ(app.automation().describeScreen(),
        std::string(kRootScreen)
            + "alert: \"Are you sure?\"\n"
              "  message: \"This will Respring your system.  This will kill all processes!  Continue?\"\n"
              "  buttons: \"No\" \"Yes\"\n");
    app.tap("\"No\"");
    EXPECT_EQ(app.automation().describeScreen(), kRootScreen);
}

size_t count(const std::string& text, const std::string& part)
{
    size_t found = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++found;
    return found;
}

TEST(ConsoleScreens, TheConsoleShowsTheScreenAgainAfterEachCommandThatCanChangeIt)
{
    AppHarness app;
    HostOptions options;
    options.device = app.device();
    std::ostringstream out, err;
    HeadlessHost host(app.hosted().application(), options, out, err);
    std::istringstream in("tap \"Changelog\"\nscroll #changes 10\ntree\njump\n" + std::string(5000, 'a')
        + "\ntap \"Power Off\"\nquit\ntap \"Back\"\n");
    EXPECT_EQ(host.runConsole(in), 0);
    EXPECT_EQ(out.str().substr(0, out.str().find('\n') + 1),
        "Zentrova console. Commands: tap #id | tap \"text\" | tap X,Y | drag FROM TO [SECONDS] | scroll #id DY"
        " | select #id FROM LENGTH | key NAME | settle | tree [FILE] | screenshot FILE | quit\n");
    // Once at the start; then after the tap and the scroll, but not after the tree or an error.
    EXPECT_EQ(count(out.str(), "bar: \"Zentrova\""), 1u);
    EXPECT_EQ(count(out.str(), "bar: \"Changelog\""), 2u);
    EXPECT_EQ(count(out.str(), "zentrova> "), 7u);
    EXPECT_EQ(count(out.str(), "zentrova> {\"alerts\":[]"), 1u);
    EXPECT_EQ(err.str(),
        "unknown command 'jump' (commands: tap, drag, scroll, select, key, settle, tree, screenshot, quit)\n"
        "longer than 4096 bytes\n"
        "nothing on screen matches \"Power Off\"\n");
}

} // namespace

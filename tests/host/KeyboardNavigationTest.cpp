#include "platform/host/KeyboardNavigation.h"

#include "tests/support/AppHarness.h"

#include <gtest/gtest.h>

namespace {

// What the focus ring is on, as the tree says: an identifier, a bar button's title, or an alert's
// button index; empty when nothing is focused.
std::string focusIn(const nlohmann::json& node)
{
    if (!node.is_object())
        return "";
    if (node.value("focused", false))
        return node.contains("focusedPart") ? "\"" + node["focusedPart"].get<std::string>() + "\"" : "#" + node.value("id", std::string("?"));
    for (auto& subview : node.value("subviews", nlohmann::json::array())) {
        if (auto found = focusIn(subview); !found.empty())
            return found;
    }
    return "";
}

std::string focused(AppHarness& app)
{
    auto tree = app.tree();
    for (auto& alert : tree["alerts"]) {
        if (alert.contains("focusedButton"))
            return "alert button " + std::to_string(alert["focusedButton"].get<int>());
    }
    if (!tree["presented"].empty())
        return focusIn(tree["presented"].back()["view"]);
    return focusIn(tree["keyWindow"]);
}

void key(AppHarness& app, const std::string& name)
{
    auto script = parseAutomationScript("key " + name);
    ASSERT_EQ(script.error, "");
    ASSERT_EQ(app.automation().execute(script.commands.front()), "") << name;
}

std::vector<std::string> tabThrough(AppHarness& app, size_t count, const std::string& name = "Tab")
{
    std::vector<std::string> seen;
    for (size_t i = 0; i < count; ++i) {
        key(app, name);
        seen.push_back(focused(app));
    }
    return seen;
}

double textOffset(AppHarness& app)
{
    auto tree = app.tree();
    auto& view = tree["presented"].back()["view"];
    std::function<double(const nlohmann::json&)> find = [&](const nlohmann::json& node) -> double {
        if (node.value("id", std::string()) == "changes")
            return node["contentOffset"][1].get<double>();
        for (auto& subview : node["subviews"]) {
            if (double offset = find(subview); offset >= 0)
                return offset;
        }
        return -1;
    };
    return find(view);
}

TEST(KeyboardNavigation, KeyNames)
{
    struct Case {
        const char* text;
        const char* name; // read back; null when refused
    };
    const Case cases[] = {
        { "Tab", "Tab" },
        { "shift+Tab", "shift+Tab" },
        { "SHIFT+tab", "shift+Tab" },
        { "alt+Left", "alt+Left" },
        { "Esc", "Escape" },
        { "Enter", "Return" },
        { "Space", "space" },
        { "PageDown", "Page_Down" },
        { "ctrl+alt+shift+End", "ctrl+alt+shift+End" },
        { "F1", nullptr },
        { "meta+Tab", nullptr },
        { "shift+", nullptr },
        { "+Tab", nullptr },
        { "", nullptr },
    };
    for (auto& [text, name] : cases) {
        SCOPED_TRACE(text);
        std::string error;
        auto press = parseKeyPress(text, error);
        ASSERT_EQ(bool(press), name != nullptr) << error;
        if (press)
            EXPECT_EQ(keyPressName(*press), name);
        else
            EXPECT_NE(error, "");
    }
    EXPECT_NE(parseAutomationScript("key F13").error.find("unknown key 'F13'"), std::string::npos);
    EXPECT_NE(parseAutomationScript("key").error.find("key needs a key"), std::string::npos);
}

// Every screen by keyboard alone: the ring goes round in reading order, Space and Return act as a
// tap, Esc answers alerts and goes back, and the scrolling keys move the changelog.
TEST(KeyboardNavigation, EveryScreenByKeyboard)
{
    std::string changelog;
    for (int version = 100; version > 0; --version)
        changelog += "Version " + std::to_string(version) + "\n- a change\n\n";
    AppHarness app({ .device = "iphone-5s", .preferences = { { "alertSwitch.enabled", true } }, .changelog = changelog });
    EXPECT_EQ(focused(app), "");

    // The root screen: bar buttons, then the six actions top to bottom, round again.
    EXPECT_EQ(tabThrough(app, 9),
        (std::vector<std::string> { "\"Changelog\"", "\"Settings\"", "#rebootButton", "#shutdownButton", "#respringButton",
            "#safemodeButton", "#noSubstrateButton", "#minispringButton", "\"Changelog\"" }));
    EXPECT_EQ(tabThrough(app, 2, "shift+Tab"), (std::vector<std::string> { "#minispringButton", "#noSubstrateButton" }));
    // A touch clears the ring; the next Tab starts again from the top.
    app.tap("10,300");
    EXPECT_EQ(focused(app), "");
    EXPECT_EQ(tabThrough(app, 1), std::vector<std::string> { "\"Changelog\"" });

    // An alert takes the keys: Esc is its cancel button, Return its other one, Tab goes round its buttons.
    for (int i = 0; i < 4; ++i)
        key(app, "Tab");
    ASSERT_EQ(focused(app), "#respringButton");
    key(app, "space");
    ASSERT_EQ(app.tree()["alerts"].size(), 1u);
    EXPECT_EQ(tabThrough(app, 3), (std::vector<std::string> { "alert button 0", "alert button 1", "alert button 0" }));
    key(app, "alt+Left"); // not Back while an alert is up
    key(app, "Escape");
    EXPECT_EQ(app.tree()["alerts"].size(), 0u);
    EXPECT_TRUE(app.system().calls().empty());
    EXPECT_EQ(focused(app), "#respringButton");
    key(app, "Return");
    key(app, "Return");
    EXPECT_EQ(app.system().calls(), std::vector<std::string> { "system(\"killall -9 SpringBoard\")" });

    // Settings: a switch toggles on Space; Esc goes back, and the ring is where it was.
    app.tap("10,300");
    key(app, "Tab");
    key(app, "Tab");
    key(app, "Return");
    ASSERT_EQ(app.tree()["presented"].size(), 1u);
    EXPECT_EQ(tabThrough(app, 4), (std::vector<std::string> { "\"Back\"", "#lightSwitch", "#alertSwitch", "#donateButton" }));
    key(app, "shift+Tab");
    key(app, "shift+Tab");
    key(app, "space");
    key(app, "Escape");
    EXPECT_EQ(app.tree()["presented"].size(), 0u);
    EXPECT_EQ(focused(app), "\"Settings\"");
    // The switch changed the theme: the root screen is light now.
    EXPECT_EQ(app.tree()["keyWindow"]["subviews"][0]["backgroundColor"], nlohmann::json::array({ 1, 1, 1, 1 }));

    // The changelog scrolls by line, by page and to either end, with or without focus on the text.
    key(app, "shift+Tab");
    key(app, "Return");
    ASSERT_EQ(app.tree()["presented"].size(), 1u);
    EXPECT_EQ(textOffset(app), 0);
    key(app, "Down");
    double line = textOffset(app);
    EXPECT_GT(line, 0);
    key(app, "Page_Down");
    double page = textOffset(app) - line;
    EXPECT_GT(page, line);
    key(app, "End");
    double end = textOffset(app);
    EXPECT_GT(end, line + page);
    key(app, "space");
    EXPECT_EQ(textOffset(app), end);
    key(app, "Up");
    EXPECT_EQ(textOffset(app), end - line);
    EXPECT_EQ(tabThrough(app, 2), (std::vector<std::string> { "\"Back\"", "#changes" }));
    key(app, "Home");
    EXPECT_EQ(textOffset(app), 0);
    key(app, "space");
    EXPECT_EQ(textOffset(app), page);
    key(app, "shift+space");
    EXPECT_EQ(textOffset(app), 0);
    key(app, "alt+Left");
    EXPECT_EQ(app.tree()["presented"].size(), 0u);
    // Esc on the root screen has nowhere to go back to.
    key(app, "Escape");
    EXPECT_EQ(app.tree()["presented"].size(), 0u);
}

} // namespace

#include "platform/host/Automation.h"
#include "platform/quartzcore/CATransition.h"
#include "platform/uikit/UIFont.h"
#include "platform/uikit/UITextView.h"
#include "platform/uikit/UIViewController.h"

#include "screens/RootViewController.h"
#include "tests/support/AppHarness.h"

#include <gtest/gtest.h>

namespace {

using nlohmann::json;

// A text view added over the root screen, as a screen of the app would show one.
std::shared_ptr<UITextView> addTextView(AppHarness& app, const std::string& text)
{
    auto view = UITextView::create();
    view->setAccessibilityIdentifier("changes");
    view->setFont(UIFont::fontWithName("Helvetica", 16));
    view->setText(NSString(text));
    view->setFrame(CGRectMake(0, 64, 320, 200));
    view->setEditable(false);
    app.root().view()->addSubview(view);
    return view;
}

json findById(const json& node, const std::string& id)
{
    if (node.is_object() && node.value("id", "") == id)
        return node;
    if (node.is_object() && node.contains("subviews")) {
        for (auto& child : node["subviews"]) {
            if (auto found = findById(child, id); !found.is_null())
                return found;
        }
    }
    return nullptr;
}

AutomationCommand command(const std::string& line)
{
    auto script = parseAutomationScript(line);
    EXPECT_EQ(script.error, "") << line;
    return script.commands.empty() ? AutomationCommand { } : script.commands.front();
}

TEST(TextAutomation, ScrollAndSelectShowInTheTree)
{
    AppHarness app;
    std::string lines;
    for (int i = 0; i < 40; ++i)
        lines += "Version 1." + std::to_string(i) + ":\n";
    auto view = addTextView(app, lines);
    auto& automation = app.automation();

    auto node = findById(app.tree()["keyWindow"], "changes");
    ASSERT_FALSE(node.is_null());
    EXPECT_EQ(node["contentOffset"], json::array({ 0, 0 }));
    EXPECT_EQ(node["selectedRange"], json::array({ 0, 0 }));
    EXPECT_EQ(node["editable"], false);
    EXPECT_EQ(node["attributeRuns"][0]["range"], json::array({ 0, NSString(lines).length() }));
    EXPECT_EQ(node["attributeRuns"][0]["font"], (json { { "name", "Helvetica" }, { "size", 16 }, { "bold", false } }));

    EXPECT_EQ(automation.execute(command("scroll #changes 100")), "");
    EXPECT_EQ(automation.execute(command("select #changes 13 12")), "");
    node = findById(app.tree()["keyWindow"], "changes");
    EXPECT_EQ(node["contentOffset"], json::array({ 0, 100 }));
    EXPECT_EQ(node["selectedRange"], json::array({ 13, 12 }));

    // Scrolling stops at the ends of the content.
    EXPECT_EQ(automation.execute(command("scroll #changes -1000")), "");
    EXPECT_EQ(view->contentOffset().y, 0);
    EXPECT_EQ(automation.execute(command("scroll #changes 100000")), "");
    EXPECT_EQ(view->contentOffset().y, view->contentHeight() - 200);

    // A range past the text, or a view without text, is an error that names the view.
    auto error = automation.execute(command("select #changes 100000 1"));
    EXPECT_NE(error.find("UITextView #changes"), std::string::npos) << error;
    error = automation.execute(command("select #respringButton 0 1"));
    EXPECT_NE(error.find("has no text"), std::string::npos) << error;
    EXPECT_NE(automation.execute(command("scroll #nothing 10")).find("nothing on screen matches"), std::string::npos);
}

TEST(TextAutomation, RunsWithoutAFontOrColourShowNull)
{
    AppHarness app;
    auto view = addTextView(app, "Version 3.0: first");
    auto text = NSMutableAttributedString::initWithString("Version 3.0: first");
    text->setAttributes({ { NSFontAttributeName, UIFont::boldSystemFontOfSize(16) },
                            { NSForegroundColorAttributeName, kSystemTintColor } },
        { 0, 12 });
    view->setAttributedText(text);
    auto runs = findById(app.tree()["keyWindow"], "changes")["attributeRuns"];
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0]["font"], (json { { "name", "System" }, { "size", 16 }, { "bold", true } }));
    EXPECT_EQ(runs[0]["color"], json::array({ 0, 0.478431, 1, 1 }));
    EXPECT_EQ(runs[1]["range"], json::array({ 12, 6 }));
    EXPECT_EQ(runs[1]["font"], nullptr);
    EXPECT_EQ(runs[1]["color"], nullptr);
}

TEST(TextAutomation, ScrollAndSelectGrammar)
{
    for (const char* good : { "scroll #changes 40", "scroll #changes -12.5", "select #changes 0 12", "select \"a b\" 1 2" }) {
        SCOPED_TRACE(good);
        EXPECT_EQ(parseAutomationScript(good).error, "");
    }
    for (const char* bad : { "scroll", "scroll #changes", "scroll #changes ten", "scroll 10,10 5", "select #changes 1",
             "select #changes -1 2", "select #changes 1.5 2", "select #changes 1 2 3" }) {
        SCOPED_TRACE(bad);
        EXPECT_NE(parseAutomationScript(bad).error, "");
    }
}

TEST(TextAutomation, RevealTransitionShowsInTheTree)
{
    AppHarness app;
    auto transition = CATransition::animation();
    transition->setDuration(0.3);
    transition->setType(kCATransitionReveal);
    transition->setSubtype(kCATransitionFromLeft);
    app.root().view()->layer().addAnimation(transition, kCATransition);
    Automation::settle();
    auto animations = app.tree()["keyWindow"]["subviews"][0]["layerAnimations"];
    ASSERT_EQ(animations.size(), 1u);
    EXPECT_EQ(animations[0]["key"], kCATransition.utf8());
    EXPECT_EQ(animations[0]["type"], kCATransitionReveal.utf8());
    EXPECT_EQ(animations[0]["subtype"], kCATransitionFromLeft.utf8());
    EXPECT_EQ(animations[0]["duration"], 0.3);
}

} // namespace

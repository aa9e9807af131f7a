#include "platform/host/Automation.h"
#include "platform/host/TreeDump.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIBarButtonItem.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UINavigationBar.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UISwitch.h"
#include "platform/uikit/UITextView.h"
#include "platform/uikit/UIWindow.h"
#include "tests/support/UIKitFixture.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

class Taps final : public NSObject {
public:
    static std::shared_ptr<Taps> create() { return std::shared_ptr<Taps>(new Taps); }
    void tapped() { ++count; }
    int count = 0;
};

// A window of every view kind the hosts describe, driven through the automation of the headless
// host.
class ViewDescription : public UIKitFixture {
protected:
    void SetUp() override
    {
        UIKitFixture::SetUp();
        _window = UIWindow::initWithFrame(UIScreen::mainScreen().bounds());

        _bar = UINavigationBar::create();
        _bar->setFrame(CGRectMake(0, 0, 320, 64));
        auto item = UINavigationItem::initWithTitle("Title");
        item->setRightBarButtonItem(
            UIBarButtonItem::initWithTitle("Done", UIBarButtonItemStylePlain, _taps.get(), &Taps::tapped));
        _bar->setItems({ item });
        _window->addSubview(_bar);

        _toggle = UISwitch::create(CGRectMake(20, 100, 0, 0));
        _toggle->setAccessibilityIdentifier("lightSwitch");
        _window->addSubview(_toggle);

        auto label = UILabel::create(CGRectMake(20, 150, 200, 30));
        label->setText("Light Theme");
        _window->addSubview(label);

        _text = UITextView::create(CGRectMake(0, 200, 320, 300));
        _text->setAccessibilityIdentifier("changes");
        _text->setText(NSString("Version 3.0: a first line that is far €uro-long for the console\nmore"));
        _window->addSubview(_text);
        _window->makeKeyAndVisible();
        _automation = std::make_unique<Automation>(*_application, DeviceProfile { "test", 320, 568, 2, "Test" }, _out);
    }

    std::shared_ptr<Taps> _taps = Taps::create();
    std::shared_ptr<UIWindow> _window;
    std::shared_ptr<UINavigationBar> _bar;
    std::shared_ptr<UISwitch> _toggle;
    std::shared_ptr<UITextView> _text;
    std::ostringstream _out;
    std::unique_ptr<Automation> _automation;
};

TEST_F(ViewDescription, ConsoleNamesEveryKindWithItsState)
{
    EXPECT_EQ(_automation->describeScreen(),
        "bar: \"Title\"  right: \"Done\"\n"
        "switch: #lightSwitch  off\n"
        "label: \"Light Theme\"\n"
        "text: #changes  \"Version 3.0: a first line that is far …\"  all shown\n");
    EXPECT_EQ(_automation->tap("#lightSwitch"), "");
    EXPECT_NE(_automation->describeScreen().find("switch: #lightSwitch  on\n"), std::string::npos);
    // A switch that takes no touches says so; one that is hidden says nothing.
    _toggle->setUserInteractionEnabled(false);
    EXPECT_NE(_automation->describeScreen().find("switch: #lightSwitch  on, disabled\n"), std::string::npos);
    _toggle->setHidden(true);
    EXPECT_EQ(_automation->describeScreen().find("switch:"), std::string::npos);
}

TEST_F(ViewDescription, ConsoleKeepsEachViewOnOneLine)
{
    // Quotes, line breaks and escapes of the terminal are written out, never passed through.
    auto label = UILabel::create(CGRectMake(20, 520, 200, 30));
    label->setText(NSString("Say \"hi\"\n\x1b[2J\tnow"));
    _window->addSubview(label);
    auto screen = _automation->describeScreen();
    EXPECT_NE(screen.find("label: \"Say \\\"hi\\\"\\n\\x1B[2J\\tnow\"\n"), std::string::npos) << screen;
    EXPECT_EQ(screen.find('\x1b'), std::string::npos);
}

TEST_F(ViewDescription, TextSelectorsFindBarButtonsLabelsAndTextViews)
{
    EXPECT_EQ(_automation->tap("\"Done\""), "");
    EXPECT_EQ(_taps->count, 1);

    std::string error;
    auto found
        = _automation->selectors().resolve("\"Version 3.0: a first line that is far €uro-long for the console\\nmore\"", error);
    ASSERT_EQ(found.size(), 1u) << error;
    EXPECT_EQ(found.front().view, _text.get());
    found = _automation->selectors().resolve("\"Light Theme\"", error);
    ASSERT_EQ(found.size(), 1u) << error;

    // A bar button is tapped through its bar: a view over it covers it.
    auto cover = UIView::create(CGRectMake(200, 20, 120, 44));
    _window->addSubview(cover);
    auto message = _automation->tap("\"Done\"");
    EXPECT_EQ(message, "UIBarButtonItem \"Done\" is covered by UIView and cannot be tapped");
    EXPECT_EQ(_taps->count, 1);
}

TEST_F(ViewDescription, TreeCarriesEachKindsProperties)
{
    auto node = dumpView(*_window);
    auto& subviews = node["subviews"];
    ASSERT_EQ(subviews.size(), 4u);
    EXPECT_EQ(subviews[0]["items"][0]["rightBarButtonItem"]["title"], "Done");
    EXPECT_EQ(subviews[0]["barTintColor"], nullptr);
    EXPECT_EQ(subviews[1]["on"], false);
    CGSize toggle = UISwitch::intrinsicSize();
    EXPECT_EQ(subviews[1]["frame"], (nlohmann::json { 20, 100, toggle.width, toggle.height }));
    EXPECT_EQ(subviews[2]["textColor"], nlohmann::json::parse("[0, 0, 0, 1]"));
    EXPECT_EQ(subviews[3]["font"], nullptr);
    EXPECT_EQ(subviews[3]["attributeRuns"][0]["range"], nlohmann::json::parse("[0, 68]"));
    EXPECT_FALSE(subviews[3].contains("constraints"));
}

} // namespace

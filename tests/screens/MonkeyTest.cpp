#include "app/Zentrova3Application.h"
#include "platform/foundation/DeviceRoot.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIScreen.h"
#include "power/PowerAction.h"
#include "screens/ChangelogViewController.h"
#include "screens/RootViewController.h"
#include "screens/SettingsViewController.h"
#include "tests/support/AppHarness.h"
#include "tests/support/PlistFiles.h"

#include <gtest/gtest.h>

#include <iostream>
#include <random>

// Thousands of random taps and drags over every screen of the app, in both builds. After each one
// the app must still hold together: one alert at most, no power command and no URL that the touch
// did not ask for, and a preferences file that parses and agrees with the colours on screen.
namespace {

namespace fs = std::filesystem;

// Half the steps run with alerts off, half with them on (until the monkey flips the switch).
constexpr int kStepsPerHalf = 5000;

// Where a touch began, as far as what it may cause goes.
enum class Origin {
    Elsewhere,
    PowerButton,
    ConfirmationYes,
    DonationDonate,
};

bool isPowerLine(const std::string& call)
{
    return call.starts_with("setuid(") || call.starts_with("setgid(") || call.starts_with("system(");
}

Origin originOf(UIApplication& application, CGPoint point)
{
    UIView* hit = application.hitTest(point);
    for (UIView* view = hit; view; view = view->superview()) {
        for (auto& action : powerActions()) {
            if (view->accessibilityIdentifier() == NSString(action.buttonField))
                return Origin::PowerButton;
        }
    }
    if (application.shownAlerts().empty())
        return Origin::Elsewhere;
    auto& alert = *application.shownAlerts().back();
    for (NSInteger index = 0; index < alert.numberOfButtons(); ++index) {
        for (UIView* view = hit; view; view = view->superview()) {
            if (view != alert.buttonAtIndex(index))
                continue;
            auto title = alert.buttonTitleAtIndex(index);
            if (alert.title() == NSString(kConfirmationTitle) && title == NSString(kConfirmationOtherTitle))
                return Origin::ConfirmationYes;
            if (alert.title() == NSString("Donate via PayPal") && title == NSString("Donate"))
                return Origin::DonationDonate;
            return Origin::Elsewhere;
        }
    }
    return Origin::Elsewhere;
}

// A stored boolean; a missing file or key reads NO, as the app reads it.
bool storedBool(plist_t dictionary, const char* key)
{
    plist_t node = dictionary ? plist_dict_get_item(dictionary, key) : nullptr;
    if (!node || plist_get_node_type(node) != PLIST_BOOLEAN)
        return false;
    uint8_t value = 0;
    plist_get_bool_val(node, &value);
    return value;
}

struct Tally {
    int steps = 0;
    int drags = 0;
    int changelogVisits = 0;
    int settingsVisits = 0;
    int confirmationAlerts = 0;
    int donationAlerts = 0;
    int stepsRunningPowerLines = 0;
    int urlsOpened = 0;
};

class Monkey {
public:
    Monkey(AppHarness& app, std::mt19937& random, Tally& tally)
        : _app(app)
        , _random(random)
        , _tally(tally)
        , _screen(UIScreen::mainScreen().bounds())
        , _preferences(app.rootPath() / "var/mobile/Library/Preferences" / (std::string(kBundleIdentifier) + ".plist"))
    {
    }

    void run(int steps)
    {
        for (int step = 0; step < steps; ++step) {
            SCOPED_TRACE(testing::Message() << "step " << _tally.steps);
            this->step();
            if (testing::Test::HasFatalFailure())
                return;
            ++_tally.steps;
        }
    }

private:
    CGPoint anywhere()
    {
        std::uniform_real_distribution<double> x(0, _screen.size.width), y(0, _screen.size.height);
        return { static_cast<CGFloat>(x(_random)), static_cast<CGFloat>(y(_random)) };
    }

    // A touch target chosen the way a curious user would: alert buttons when an alert is up, the
    // bar's buttons often enough that every screen is reached, and anywhere at all otherwise.
    CGPoint begin()
    {
        std::uniform_int_distribution<int> percent(0, 99);
        auto& alerts = _app.application().shownAlerts();
        if (!alerts.empty() && percent(_random) < 60) {
            auto& alert = *alerts.back();
            std::uniform_int_distribution<NSInteger> index(0, alert.numberOfButtons() - 1);
            CGRect frame = alert.buttonAtIndex(index(_random))->frameInWindow();
            std::uniform_real_distribution<double> x(frame.minX(), frame.maxX()), y(frame.minY(), frame.maxY());
            return { static_cast<CGFloat>(x(_random)), static_cast<CGFloat>(y(_random)) };
        }
        if (percent(_random) < 25) {
            std::uniform_real_distribution<double> x(0, _screen.size.width), y(0, 64);
            return { static_cast<CGFloat>(x(_random)), static_cast<CGFloat>(y(_random)) };
        }
        return anywhere();
    }

    void deliver(UITouchPhase phase, CGPoint point)
    {
        _app.application().sendTouch(phase, point);
        Automation::settle();
    }

    void step()
    {
        auto& application = _app.application();
        bool alertsWereOn = storedBool(PlistPtr(readPlistFile(_preferences)).get(), "alertSwitch.enabled");
        size_t callsBefore = _app.system().calls().size();

        CGPoint start = begin();
        Origin origin = originOf(application, start);
        deliver(UITouchPhase::Began, start);
        CGPoint end = start;
        if (std::uniform_int_distribution<int>(0, 99)(_random) < 20) {
            ++_tally.drags;
            end = anywhere();
            int moves = std::uniform_int_distribution<int>(1, 4)(_random);
            for (int move = 1; move <= moves; ++move) {
                double t = static_cast<double>(move) / moves;
                deliver(UITouchPhase::Moved,
                    { static_cast<CGFloat>(start.x + (end.x - start.x) * t), static_cast<CGFloat>(start.y + (end.y - start.y) * t) });
            }
        }
        deliver(UITouchPhase::Ended, end);

        auto& alerts = application.shownAlerts();
        ASSERT_LE(alerts.size(), 1u) << "two alerts at once after a touch at " << start.x << "," << start.y;

        auto& calls = _app.system().calls();
        bool ranPowerLines = false;
        for (size_t index = callsBefore; index < calls.size(); ++index) {
            auto& call = calls[index];
            if (isPowerLine(call)) {
                ranPowerLines = true;
                bool pressedWithAlertsOff = origin == Origin::PowerButton && !alertsWereOn;
                ASSERT_TRUE(pressedWithAlertsOff || origin == Origin::ConfirmationYes)
                    << call << " after a touch at " << start.x << "," << start.y << " (alerts were "
                    << (alertsWereOn ? "on" : "off") << ")";
            } else {
                ASSERT_TRUE(call.starts_with("openURL(")) << call;
                ASSERT_EQ(origin, Origin::DonationDonate) << call << " after a touch at " << start.x << "," << start.y;
                ++_tally.urlsOpened;
            }
        }
        _tally.stepsRunningPowerLines += ranPowerLines;

        // The file always parses, nothing was set aside as unreadable, and the theme on screen is
        // the one stored.
        if (fs::exists(_preferences)) {
            PlistPtr stored = readPlistFile(_preferences);
            ASSERT_TRUE(stored && plist_get_node_type(stored.get()) == PLIST_DICT) << "the preferences do not parse";
            bool light = storedBool(stored.get(), "lightSwitch");
            EXPECT_EQ(_app.root().view()->backgroundColor(), light ? UIColor::whiteColor() : UIColor::blackColor())
                << "the root screen does not show the stored theme";
        }
        auto setAside = _preferences;
        setAside += ".corrupt";
        ASSERT_FALSE(fs::exists(setAside));

        countVisits();
    }

    void countVisits()
    {
        auto* presented = _app.root().presentedViewController();
        if (presented && presented != _lastScreen.lock().get()) {
            if (dynamic_cast<ChangelogViewController*>(presented))
                ++_tally.changelogVisits;
            else if (dynamic_cast<SettingsViewController*>(presented))
                ++_tally.settingsVisits;
        }
        _lastScreen = presented ? presented->weakSelf<UIViewController>() : std::weak_ptr<UIViewController>();

        auto& alerts = _app.application().shownAlerts();
        UIAlertView* alert = alerts.empty() ? nullptr : alerts.back().get();
        if (alert && alert != _lastAlert.lock().get()) {
            if (alert->title() == NSString(kConfirmationTitle))
                ++_tally.confirmationAlerts;
            else
                ++_tally.donationAlerts;
        }
        _lastAlert = alert ? alert->weakSelf<UIAlertView>() : std::weak_ptr<UIAlertView>();
    }

    AppHarness& _app;
    std::mt19937& _random;
    Tally& _tally;
    CGRect _screen;
    fs::path _preferences;
    std::weak_ptr<UIViewController> _lastScreen;
    std::weak_ptr<UIAlertView> _lastAlert;
};

TEST(Monkey, RandomTouchesOverEveryScreenKeepTheAppConsistent)
{
    std::mt19937 random(20261208);
    Tally tally;
    {
        AppHarness app;
        Monkey(app, random, tally).run(kStepsPerHalf);
    }
    if (HasFatalFailure())
        return;
    {
        AppHarness app({ .preferences = { { "alertSwitch.enabled", true } } });
        Monkey(app, random, tally).run(kStepsPerHalf);
    }
    if (HasFatalFailure())
        return;

    std::cout << "monkey: " << tally.steps << " steps (" << tally.drags << " drags), " << tally.changelogVisits
              << " changelog and " << tally.settingsVisits << " settings visits, " << tally.confirmationAlerts
              << " confirmations and " << tally.donationAlerts << " donation alerts, "
              << tally.stepsRunningPowerLines << " steps ran power lines, " << tally.urlsOpened << " URLs opened\n";
    // The monkey went everywhere, so the checks above were exercised and the test cannot pass by
    // never leaving the root screen.
    EXPECT_EQ(tally.steps, 2 * kStepsPerHalf);
    EXPECT_GT(tally.changelogVisits, 0);
    EXPECT_GT(tally.settingsVisits, 0);
    EXPECT_GT(tally.confirmationAlerts, 0);
    EXPECT_GT(tally.donationAlerts, 0);
    EXPECT_GT(tally.stepsRunningPowerLines, 0);
    EXPECT_GT(tally.urlsOpened, 0);
}

} // namespace

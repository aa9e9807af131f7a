#pragma once

#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UINavigationBar.h"
#include "platform/uikit/UIViewController.h"
#include "screens/ScreenOutlet.h"
#include "screens/ScreenProfile.h"
#include "screens/TopAttachedBarPositioning.h"

#include <array>
#include <functional>
#include <memory>

// The app's only permanent screen: a bar titled "Zentrova" with "Changelog" and "Settings", and
// the six power buttons stacked beneath it, "Reboot" at the top to "Refresh Cache" at the bottom.
// It is the delegate of every confirmation alert it shows. The main build's screen also answers
// the bar-positioning question; the legacy one keeps a colour of its own for a button title.
class RootViewController final : public UIViewController,
                                 public UINavigationBarDelegate,
                                 public MainOnly<TopAttachedBarPositioning>,
                                 public UIAlertViewDelegate {
public:
    ZENTROVA_CLASS_NAME(RootViewController)

    static std::shared_ptr<RootViewController> create()
    {
        return std::shared_ptr<RootViewController>(new RootViewController);
    }

    void loadView() override;

    void rebootButtonPressed();
    void shutdownButtonPressed();
    void respringButtonPressed();
    void safemodeButtonPressed();
    void noSubstrateButtonPressed();
    void minispringButtonPressed();
    void alertView(UIAlertView& alertView, NSInteger clickedButtonAtIndex) override;

    void colorMe();
    void leftButtonPressed();
    void rightButtonPressed();

    // The screen's fields. The screen owns its bar; everything else is held by the view tree and
    // the fields only refer to it.
    std::shared_ptr<UINavigationBar> navBar;
    UINavigationItem* navItem = nullptr;
    [[no_unique_address]] LegacyOnly<UIColor> ios7Color;
    UIButton* rebootButton = nullptr;
    UIButton* shutdownButton = nullptr;
    UIButton* respringButton = nullptr;
    UIButton* safemodeButton = nullptr;
    UIButton* noSubstrateButton = nullptr;
    UIButton* minispringButton = nullptr;

    // The title colour a power button gets, per build.
    enum class TitleColor {
        PlatformDefault,
        Red,
        Green,
        // The legacy screen's ios7Color field itself.
        Ios7Field,
        // A new colour with ios7Color's components.
        Ios7Components,
    };
    struct PowerButton {
        NSInteger tag;
        ScreenOutlet<RootViewController, UIButton*> field;
        void (RootViewController::*handler)();
        std::string_view handlerName;
        TitleColor mainTitleColor;
        TitleColor legacyTitleColor;
    };
    // The six power buttons in tag order, which is also their order from top to bottom.
    static const std::array<PowerButton, 6>& powerButtons();

private:
    RootViewController() = default;

    // Makes one power button of this build's type, keeps it in its field, titles, frames and adds
    // it, and registers its handler; the title colour is set first where there is one.
    void addPowerButton(const PowerButton& row, const std::optional<UIColor>& titleColor);
    static CGRect powerButtonFrame(CGFloat rootWidth, CGFloat y);
    // "Changelog" on the left of the bar's item and "Settings" on the right, both plain.
    void addNavigationButtons(UINavigationItem& item);
    // Main build: the completion of both presentations.
    std::function<void()> relayoutWhenPresented();
    void pressPowerButton(NSInteger tag);
};

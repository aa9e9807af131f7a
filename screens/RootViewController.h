#pragma once

#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UINavigationBar.h"
#include "platform/uikit/UIViewController.h"
#include "screens/ScreenOutlet.h"
#include "screens/ScreenProfile.h"

#include <array>
#include <memory>
#include <optional>
#include <string_view>

// The app's only permanent screen: a bar titled "Zentrova" with "Changelog" and "Settings", and
// the six power buttons stacked beneath it, "Reboot" at the top to "Refresh Cache" at the bottom.
// It is the delegate of every confirmation alert it shows, and answers the bar-positioning question
// where its build does.
class RootViewController final : public UIViewController,
                                 public UINavigationBarDelegate,
                                 public ScreenBarPositioning,
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
    UIButton* rebootButton = nullptr;
    UIButton* shutdownButton = nullptr;
    UIButton* respringButton = nullptr;
    UIButton* safemodeButton = nullptr;
    UIButton* noSubstrateButton = nullptr;
    UIButton* minispringButton = nullptr;

    struct PowerButton {
        NSInteger tag;
        ScreenOutlet<RootViewController, UIButton*> field;
        void (RootViewController::*handler)();
        std::string_view handlerName;
        // Set before the title, where there is one; without, the button's type decides.
        std::optional<UIColor> titleColor;
    };
    // The six power buttons in tag order, which is also their order from top to bottom.
    static const std::array<PowerButton, 6>& powerButtons();

private:
    RootViewController() = default;

    // Makes one power button of this build's type, keeps it in its field, titles, frames and adds
    // it, and registers its handler; the title colour is set first where there is one.
    void addPowerButton(const PowerButton& row);
    static CGRect powerButtonFrame(CGFloat rootWidth, CGFloat y);
    // "Changelog" on the left of the bar's item and "Settings" on the right, both plain.
    void addNavigationButtons(UINavigationItem& item);
    // Opens the changelog or the settings over this screen, each build its own way.
    void presentScreen(std::shared_ptr<UIViewController> screen);
    void pressPowerButton(NSInteger tag);
};

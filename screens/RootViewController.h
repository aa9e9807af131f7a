#pragma once

#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UINavigationBar.h"
#include "platform/uikit/UIViewController.h"

#include <memory>

// The app's only permanent screen: a bar titled "Zentrova" with "Changelog" and "Settings", and
// the six power buttons stacked beneath it, "Reboot" at the top to "Refresh Cache" at the bottom.
// It is the delegate of every confirmation alert it shows.
class RootViewController final : public UIViewController,
                                 public UINavigationBarDelegate,
                                 public UIBarPositioningDelegate,
                                 public UIAlertViewDelegate {
public:
    ZENTROVA_CLASS_NAME(RootViewController)

    static std::shared_ptr<RootViewController> create()
    {
        return std::shared_ptr<RootViewController>(new RootViewController);
    }

    UIBarPosition positionForBar(UINavigationBar& bar) override;
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

private:
    RootViewController() = default;

    void pressPowerButton(NSInteger tag);
};

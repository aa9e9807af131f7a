#pragma once

#include "platform/foundation/NSObject.h"
#include "platform/uikit/UIView.h"

#include <functional>
#include <memory>

enum UIModalPresentationStyle : NSInteger {
    UIModalPresentationFullScreen = 0,
    UIModalPresentationPageSheet = 1,
    UIModalPresentationFormSheet = 2,
    UIModalPresentationCurrentContext = 3,
    UIModalPresentationCustom = 4,
};

// A controller of one screen. Its view is built on the first request, by loadView, once.
// A presented controller is held by its presentation (the application's list of them).
class UIViewController : public NSObject {
public:
    ZENTROVA_CLASS_NAME(UIViewController)

    static std::shared_ptr<UIViewController> create() { return std::shared_ptr<UIViewController>(new UIViewController); }

    UIView* view();
    bool isViewLoaded() const { return _view != nullptr; }
    void setView(std::shared_ptr<UIView> view);
    std::shared_ptr<UIView> viewIfLoaded() const { return _view; }

    UIModalPresentationStyle modalPresentationStyle() const { return _modalPresentationStyle; }
    void setModalPresentationStyle(UIModalPresentationStyle style) { _modalPresentationStyle = style; }

    // Presents a controller over this one. The completion runs once the presentation has
    // finished (at once when not animated), on the main thread.
    void presentViewController(std::shared_ptr<UIViewController> controller, bool animated,
        std::function<void()> completion);
    // Dismisses this controller if it is presented (or the one it presents); the completion runs
    // once the dismissal has finished.
    void dismissViewControllerAnimated(bool animated, std::function<void()> completion);
    // The older form of the same, with no completion.
    void presentModalViewController(std::shared_ptr<UIViewController> controller, bool animated);
    void dismissModalViewControllerAnimated(bool animated);

    UIViewController* presentedViewController() const;
    UIViewController* presentingViewController() const;

protected:
    UIViewController() = default;
    // Builds the view; the default makes a plain view over the application frame.
    virtual void loadView();

private:
    std::shared_ptr<UIView> _view;
    bool _loadingView = false;
    UIModalPresentationStyle _modalPresentationStyle = UIModalPresentationFullScreen;
};

#include "platform/uikit/UIViewController.h"

#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIScreen.h"

#include <cassert>

UIView* UIViewController::view()
{
    if (!_view && !_loadingView) {
        _loadingView = true;
        loadView();
        _loadingView = false;
    }
    return _view.get();
}

void UIViewController::setView(std::shared_ptr<UIView> view)
{
    if (_view)
        _view->setViewController(nullptr);
    _view = std::move(view);
    if (_view)
        _view->setViewController(this);
}

void UIViewController::loadView()
{
    setView(UIView::create(UIScreen::mainScreen().applicationFrame()));
}

void UIViewController::presentViewController(std::shared_ptr<UIViewController> controller, bool animated,
    std::function<void()> completion)
{
    UIApplication::sharedApplication()->presentationStack().present(std::move(controller), this, animated, std::move(completion));
}

void UIViewController::dismissViewControllerAnimated(bool animated, std::function<void()> completion)
{
    UIApplication::sharedApplication()->presentationStack().dismiss(this, animated, std::move(completion));
}

void UIViewController::presentModalViewController(std::shared_ptr<UIViewController> controller, bool animated)
{
    presentViewController(std::move(controller), animated, nullptr);
}

void UIViewController::dismissModalViewControllerAnimated(bool animated)
{
    dismissViewControllerAnimated(animated, nullptr);
}

UIViewController* UIViewController::presentedViewController() const
{
    return UIApplication::sharedApplication()->presentationStack().controllerPresentedBy(this);
}

UIViewController* UIViewController::presentingViewController() const
{
    return UIApplication::sharedApplication()->presentationStack().presenterOf(this);
}

#pragma once

#include "platform/foundation/NSDictionary.h"
#include "platform/uikit/UINavigationItem.h"
#include "platform/uikit/UIView.h"

#include <optional>
#include <vector>

enum UIBarStyle : NSInteger {
    UIBarStyleDefault = 0,
    UIBarStyleBlack = 1,
};

enum UIBarPosition : NSInteger {
    UIBarPositionAny = 0,
    UIBarPositionBottom = 1,
    UIBarPositionTop = 2,
    UIBarPositionTopAttached = 3,
};

class UINavigationBar;

// The bar-positioning role: where a bar lies on screen.
class UIBarPositioningDelegate {
public:
    virtual ~UIBarPositioningDelegate() = default;
    virtual UIBarPosition positionForBar(UINavigationBar& bar) = 0;
};

// The navigation-bar delegate role; every message of it is optional and the app answers none.
class UINavigationBarDelegate {
public:
    virtual ~UINavigationBarDelegate() = default;
};

// A bar with the top item's title in the middle and its bar buttons at the ends. It owns its
// items. Taps on a bar button fade it while pressed and send its action on release inside.
class UINavigationBar : public UIView {
public:
    ZENTROVA_CLASS_NAME(UINavigationBar)

    static std::shared_ptr<UINavigationBar> create();

    bool isTranslucent() const { return _translucent; }
    void setTranslucent(bool translucent);
    UIBarStyle barStyle() const { return _barStyle; }
    void setBarStyle(UIBarStyle style);
    const std::optional<UIColor>& barTintColor() const { return _barTintColor; }
    void setBarTintColor(std::optional<UIColor> color);
    // Replaces every earlier attribute.
    const NSDictionary& titleTextAttributes() const { return _titleTextAttributes; }
    void setTitleTextAttributes(NSDictionary attributes);

    const std::vector<std::shared_ptr<UINavigationItem>>& items() const { return _items; }
    void setItems(std::vector<std::shared_ptr<UINavigationItem>> items);
    UINavigationItem* topItem() const { return _items.empty() ? nullptr : _items.back().get(); }

    UINavigationBarDelegate* delegate() const { return _delegate; }
    void setDelegate(UINavigationBarDelegate* delegate) { _delegate = delegate; }
    UIBarPosition barPosition();

    // Where a bar button of the top item lies, in the bar's coordinates; none when absent.
    std::optional<CGRect> frameForBarButtonItem(const UIBarButtonItem* item) const;
    UIBarButtonItem* pressedItem() const { return _pressed; }

    UIColor titleColor() const;

    void touchesBegan(CGPoint location) override;
    void touchesMoved(CGPoint location) override;
    void touchesEnded(CGPoint location) override;
    void touchesCancelled() override;
    // The top item's left button is the way back.
    bool accessibilityPerformEscape() override;

    void describe(UIViewDescription& description) const override;

protected:
    UINavigationBar();
    void drawContent(render::Painter& painter) override;

private:
    UIBarButtonItem* itemAt(CGPoint location) const;

    bool _translucent = true;
    UIBarStyle _barStyle = UIBarStyleDefault;
    std::optional<UIColor> _barTintColor;
    NSDictionary _titleTextAttributes;
    std::vector<std::shared_ptr<UINavigationItem>> _items;
    UINavigationBarDelegate* _delegate = nullptr;
    UIBarButtonItem* _tracked = nullptr;
    UIBarButtonItem* _pressed = nullptr;
};

#pragma once

#include "platform/uikit/UINavigationBar.h"
#include "platform/uikit/UITextView.h"
#include "platform/uikit/UIViewController.h"
#include "screens/ScreenProfile.h"

#include <array>
#include <memory>
#include <string_view>

// The change history from the app's bundle in a read-only, scrollable text view under a bar
// titled "Changelog" with a "Back" button. It takes the theme in force when it is built; the main
// build shows the seven version headings in bold blue.
class ChangelogViewController final : public UIViewController,
                                      public UINavigationBarDelegate,
                                      public ScreenBarPositioning {
public:
    ZENTROVA_CLASS_NAME(ChangelogViewController)

    static std::shared_ptr<ChangelogViewController> create()
    {
        return std::shared_ptr<ChangelogViewController>(new ChangelogViewController);
    }

    void loadView() override;
    void leftBackButtonPressed();

    std::shared_ptr<UINavigationBar> navBar;
    UINavigationItem* navItem = nullptr;
    UITextView* changes = nullptr;

    static constexpr std::string_view kChangelogPath = "/Applications/Zentrova.app/CHANGELOG.txt";
    // Emphasised in this order, each at its first occurrence.
    static constexpr std::array<std::string_view, 7> kHeadings { "Version 3.0:", "Version 2.1:", "Version 2.0:",
        "Version 1.3:", "Version 1.2:", "Version 1.1:", "Version 1.0:" };

private:
    ChangelogViewController() = default;

    // Emphasises the headings in the loaded text, in the build that does.
    static void emphasizeHeadings(UITextView& text);
};

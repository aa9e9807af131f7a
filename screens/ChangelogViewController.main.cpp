#include "screens/ChangelogViewController.h"

#include "screens/BoldnColor.main.h"

// The seven version headings in bold system blue.
void ChangelogViewController::emphasizeHeadings(UITextView& text)
{
    for (std::string_view heading : kHeadings)
        BoldnColor::boldSubstring(text, NSString(heading), kSystemTintColor);
}

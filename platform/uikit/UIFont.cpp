#include "platform/uikit/UIFont.h"

UIFont UIFont::fontWithName(const NSString& name, CGFloat size)
{
    auto bold = NSString("-Bold");
    const auto& units = name.utf16();
    bool isBold = units.size() > bold.length() && units.ends_with(bold.utf16());
    return UIFont(name, size, isBold ? Weight::Bold : Weight::Regular);
}

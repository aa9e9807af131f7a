#include "platform/uikit/UIBarButtonItem.h"

void UIBarButtonItem::sendAction()
{
    auto keepAlive = retainSelf();
    if (auto target = _target.lock(); target && _action)
        _action(*target);
}

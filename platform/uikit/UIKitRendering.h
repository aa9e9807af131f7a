#pragma once

// How UIKit's values become the painter's. Only the drawing code of the views includes this; the
// UIKit headers that screens see carry no render types.

#include "platform/render/Painter.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIFont.h"
#include "platform/uikit/NSText.h"

render::RGBA toRGBA(const UIColor& color);
render::Font toRenderFont(const UIFont& font);
render::TextAlignment toRenderAlignment(NSTextAlignment alignment);

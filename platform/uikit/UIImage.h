#pragma once

#include "platform/foundation/NSObject.h"
#include "platform/uikit/CGGeometry.h"

#include <cstdint>
#include <memory>

class NSData;
namespace render {
class Image;
}

// A decoded picture. Its size is in points; the pictures of this app are at scale 1.
class UIImage final : public NSObject {
public:
    ZENTROVA_CLASS_NAME(UIImage)

    // Pictures larger than these are refused before anything is allocated for them, whatever
    // size the data declares.
    static constexpr int kMaximumSide = 8192;
    static constexpr int64_t kMaximumPixels = 4096 * 4096;

    // Decodes GIF or PNG data; none when the data is not a picture or declares a size beyond the
    // bounds above.
    static std::shared_ptr<UIImage> imageWithData(const NSData& data);
    static std::shared_ptr<UIImage> imageWithRenderImage(std::shared_ptr<render::Image> image);

    CGSize size() const { return _size; }
    const render::Image& renderImage() const { return *_image; }

private:
    UIImage() = default;

    std::shared_ptr<render::Image> _image;
    CGSize _size;
};

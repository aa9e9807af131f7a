#include "platform/foundation/NSURL.h"
#include "platform/uikit/UIImage.h"

#include <cstdlib>

// The first byte chooses: the rest is a picture's bytes, or a URL whose data is decoded as a picture.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    std::vector<unsigned char> bytes(data + 1, data + size);
    std::shared_ptr<UIImage> image;
    if (data[0] & 1) {
        image = UIImage::imageWithData(*NSData::dataWithBytes(std::move(bytes)));
    } else {
        auto url = NSURL::URLWithString(NSString(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())));
        if (!url)
            return 0;
        auto content = NSData::dataWithContentsOfURL(*url);
        if (content)
            image = UIImage::imageWithData(*content);
    }
    if (image && (image->size().width < 1 || image->size().height < 1
                     || image->size().width * image->size().height > double(UIImage::kMaximumPixels)))
        std::abort();
    return 0;
}

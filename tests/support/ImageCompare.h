#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <optional>
#include <string>

typedef struct _cairo_surface cairo_surface_t;

namespace render {
class Painter;
}

namespace test {

struct ImageDiff {
    bool sameSize = false;
    // Pixels with any channel further than the tolerance from the expected one.
    size_t differingPixels = 0;
    int maxChannelDelta = 0;
};

// Compares an image surface with a PNG, channel by channel on premultiplied ARGB (Cairo decodes
// PNGs to that too). Returns none when the PNG cannot be read. With `diff`, also returns an image
// of the expected one faded, the differing pixels in red; the caller destroys it.
std::optional<ImageDiff> compareImages(
    cairo_surface_t* actual, const std::string& expectedPngPath, int tolerance, cairo_surface_t** diff = nullptr);

// The golden image check: compares with tests/golden/<name>.png and succeeds when no more than
// budgetPixels differ by more than `tolerance`. On failure writes <name>.expected.png,
// .actual.png and .diff.png under golden-failures/ in the build folder and says where. With
// ZENTROVA_RECORD_GOLDENS=1 in the environment it records the golden instead.
::testing::AssertionResult matchesGolden(
    cairo_surface_t* actual, const std::string& name, size_t budgetPixels = 0, int tolerance = 2);
::testing::AssertionResult matchesGolden(
    const render::Painter&, const std::string& name, size_t budgetPixels = 0, int tolerance = 2);
// The same with the golden at an explicit path, for checking the check itself.
::testing::AssertionResult matchesGoldenAt(cairo_surface_t* actual, const std::string& goldenPath,
    const std::string& name, size_t budgetPixels, int tolerance);

template<typename Image>
void expectMatchesGolden(const Image& image, const std::string& name, size_t budgetPixels = 0)
{
    EXPECT_TRUE(matchesGolden(image, name, budgetPixels));
}

} // namespace test

#include "tests/support/ImageCompare.h"

#include "platform/render/Painter.h"

#include <cairo.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

namespace {

struct SurfaceDeleter {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
using SurfacePtr = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;

uint32_t pixelAt(cairo_surface_t* surface, int x, int y)
{
    const unsigned char* row = cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
    uint32_t pixel;
    std::memcpy(&pixel, row + x * 4, sizeof pixel);
    // RGB24 leaves the top byte undefined; it is opaque.
    if (cairo_image_surface_get_format(surface) == CAIRO_FORMAT_RGB24)
        pixel |= 0xff000000u;
    return pixel;
}

void setPixel(cairo_surface_t* surface, int x, int y, uint32_t pixel)
{
    unsigned char* row = cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
    std::memcpy(row + x * 4, &pixel, sizeof pixel);
}

int channelDelta(uint32_t a, uint32_t b)
{
    int delta = 0;
    for (int shift = 0; shift < 32; shift += 8)
        delta
            = std::max(delta, std::abs(static_cast<int>((a >> shift) & 0xff) - static_cast<int>((b >> shift) & 0xff)));
    return delta;
}

// A pale, opaque version of a pixel, so that the red marks stand out against the picture.
uint32_t faded(uint32_t pixel)
{
    uint32_t alpha = pixel >> 24;
    uint32_t result = 0xff000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        // Premultiplied over white, then three quarters of the way towards white.
        uint32_t over = ((pixel >> shift) & 0xff) + (255 - alpha);
        result |= (over / 4 + 191) << shift;
    }
    return result;
}

bool recording()
{
    const char* value = std::getenv("ZENTROVA_RECORD_GOLDENS");
    return value && std::strcmp(value, "1") == 0;
}

std::filesystem::path goldenPath(const std::string& name)
{
    return std::filesystem::path(ZENTROVA_TEST_DIR) / "golden" / (name + ".png");
}

std::filesystem::path failureFolder()
{
    std::error_code error;
    std::filesystem::path folder = std::filesystem::path(ZENTROVA_BIN_DIR).parent_path() / "golden-failures";
    if (std::filesystem::create_directories(folder, error) || std::filesystem::is_directory(folder, error))
        return folder;
    folder = std::filesystem::temp_directory_path(error) / "golden-failures";
    std::filesystem::create_directories(folder, error);
    return folder;
}

} // namespace

namespace test {

std::optional<ImageDiff> compareImages(
    cairo_surface_t* actual, const std::string& expectedPngPath, int tolerance, cairo_surface_t** diff)
{
    if (diff)
        *diff = nullptr;
    SurfacePtr expected(cairo_image_surface_create_from_png(expectedPngPath.c_str()));
    if (cairo_surface_status(expected.get()) != CAIRO_STATUS_SUCCESS)
        return std::nullopt;
    cairo_surface_flush(actual);

    int width = cairo_image_surface_get_width(expected.get());
    int height = cairo_image_surface_get_height(expected.get());
    ImageDiff result;
    result.sameSize
        = width == cairo_image_surface_get_width(actual) && height == cairo_image_surface_get_height(actual);
    if (!result.sameSize) {
        result.differingPixels = std::max(static_cast<size_t>(width) * height,
            static_cast<size_t>(cairo_image_surface_get_width(actual)) * cairo_image_surface_get_height(actual));
        result.maxChannelDelta = 255;
        return result;
    }

    SurfacePtr marked(diff ? cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height) : nullptr);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint32_t want = pixelAt(expected.get(), x, y);
            int delta = channelDelta(want, pixelAt(actual, x, y));
            result.maxChannelDelta = std::max(result.maxChannelDelta, delta);
            bool differs = delta > tolerance;
            if (differs)
                ++result.differingPixels;
            if (marked)
                setPixel(marked.get(), x, y, differs ? 0xffff0000u : faded(want));
        }
    }
    if (marked) {
        cairo_surface_mark_dirty(marked.get());
        *diff = marked.release();
    }
    return result;
}

::testing::AssertionResult matchesGolden(
    cairo_surface_t* actual, const std::string& name, size_t budgetPixels, int tolerance)
{
    return matchesGoldenAt(actual, goldenPath(name).string(), name, budgetPixels, tolerance);
}

::testing::AssertionResult matchesGoldenAt(
    cairo_surface_t* actual, const std::string& goldenPath, const std::string& name, size_t budgetPixels, int tolerance)
{
    std::filesystem::path golden = goldenPath;
    cairo_surface_flush(actual);
    if (recording()) {
        std::error_code error;
        std::filesystem::create_directories(golden.parent_path(), error);
        if (cairo_surface_write_to_png(actual, golden.c_str()) != CAIRO_STATUS_SUCCESS)
            return ::testing::AssertionFailure() << "could not record the golden " << golden;
        return ::testing::AssertionSuccess() << "recorded " << golden;
    }

    cairo_surface_t* diffImage = nullptr;
    std::optional<ImageDiff> diff = compareImages(actual, golden, tolerance, &diffImage);
    SurfacePtr diffOwner(diffImage);
    if (!diff) {
        return ::testing::AssertionFailure()
            << "no golden image " << golden << "; record it with `make goldens` and look at it before committing it";
    }
    if (diff->sameSize && diff->differingPixels <= budgetPixels)
        return ::testing::AssertionSuccess();

    std::filesystem::path folder = failureFolder();
    std::filesystem::path expectedCopy = folder / (name + ".expected.png");
    std::filesystem::path actualCopy = folder / (name + ".actual.png");
    std::filesystem::path diffCopy = folder / (name + ".diff.png");
    std::error_code error;
    std::filesystem::copy_file(golden, expectedCopy, std::filesystem::copy_options::overwrite_existing, error);
    cairo_surface_write_to_png(actual, actualCopy.c_str());
    if (diffOwner)
        cairo_surface_write_to_png(diffOwner.get(), diffCopy.c_str());

    auto failure = ::testing::AssertionFailure();
    if (!diff->sameSize) {
        failure << name << " is " << cairo_image_surface_get_width(actual) << "x"
                << cairo_image_surface_get_height(actual) << " pixels, not the golden's size";
    } else {
        failure << name << ": " << diff->differingPixels << " pixels differ by more than " << tolerance << " (budget "
                << budgetPixels << ", largest channel difference " << diff->maxChannelDelta << ")";
    }
    failure << "\n  expected: " << expectedCopy.string() << "\n  actual:   " << actualCopy.string();
    if (diffOwner)
        failure << "\n  diff:     " << diffCopy.string();
    return failure;
}

::testing::AssertionResult matchesGolden(
    const render::Painter& painter, const std::string& name, size_t budgetPixels, int tolerance)
{
    return matchesGolden(painter.surface(), name, budgetPixels, tolerance);
}

} // namespace test

// Draws the settings screen's donation picture and writes it as the data URL the app embeds:
//
//     make-donate-button-image resources/DonateButtonImage.h [picture.gif]
//
// A 147 x 47 GIF89a with one frame and a 128-colour global palette whose index 122 is both the
// transparent colour and the background. The picture: a rounded yellow-orange button reading
// "Donate" above a row of six small card and bank badges, all plain shapes of our own.

#include "platform/render/Fonts.h"
#include "platform/render/Painter.h"

#include <cairo.h>
#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 147;
constexpr int kHeight = 47;
constexpr int kPaletteSize = 128;
constexpr int kTransparentIndex = 122;

struct Color {
    int r = 0, g = 0, b = 0;
    auto operator<=>(const Color&) const = default;
};

render::RGBA rgb(int r, int g, int b, double a = 1)
{
    return { r / 255.0, g / 255.0, b / 255.0, a };
}

void drawButton(render::Painter& painter, cairo_t* cr)
{
    const render::Rect button { 8, 1, 131, 27 };
    const double radius = 13.5;
    painter.fillRoundedRect(button, radius, rgb(214, 128, 18));
    // The face: a warm gradient from yellow at the top to orange at the bottom.
    double x = button.x + 1, y = button.y + 1, w = button.width - 2, h = button.height - 2, r = radius - 1;
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
    cairo_pattern_t* face = cairo_pattern_create_linear(0, y, 0, y + h);
    cairo_pattern_add_color_stop_rgb(face, 0, 255 / 255.0, 226 / 255.0, 120 / 255.0);
    cairo_pattern_add_color_stop_rgb(face, 0.5, 255 / 255.0, 196 / 255.0, 58 / 255.0);
    cairo_pattern_add_color_stop_rgb(face, 1, 246 / 255.0, 150 / 255.0, 30 / 255.0);
    cairo_set_source(cr, face);
    cairo_fill(cr);
    cairo_pattern_destroy(face);
    // A soft highlight across the upper half.
    painter.fillRoundedRect({ x + 6, y + 2, w - 12, h / 2 - 2 }, (h / 2 - 2) / 2, rgb(255, 255, 255, 0.28));

    render::TextStyle style;
    style.font = { "", 16, render::FontWeight::Bold };
    style.color = rgb(18, 45, 110);
    style.alignment = render::TextAlignment::Center;
    painter.drawText("Donate", button, style);
}

// Six badges of generic shapes: cards with stripes, chips and dots, and a bank front.
void drawBadges(render::Painter& painter)
{
    constexpr double badgeWidth = 20, badgeHeight = 13, gap = 3;
    constexpr double rowWidth = 6 * badgeWidth + 5 * gap;
    const double top = 32;
    double left = std::floor((kWidth - rowWidth) / 2);
    auto card = [&](int index) { return render::Rect { left + index * (badgeWidth + gap), top, badgeWidth, badgeHeight }; };
    const auto white = rgb(255, 255, 255);

    // 1: a navy card with a band and a gold chip.
    auto b = card(0);
    painter.fillRoundedRect(b, 2, rgb(28, 52, 120));
    painter.fillRect({ b.x, b.y + 8, b.width, 2 }, rgb(240, 240, 250));
    painter.fillRoundedRect({ b.x + 3, b.y + 3, 5, 4 }, 1, rgb(230, 190, 70));

    // 2: a green card with a white ring.
    b = card(1);
    painter.fillRoundedRect(b, 2, rgb(30, 140, 80));
    painter.fillEllipse({ b.x + 6, b.y + 2.5, 8, 8 }, white);
    painter.fillEllipse({ b.x + 8, b.y + 4.5, 4, 4 }, rgb(30, 140, 80));

    // 3: a white card with a grey edge and three dots.
    b = card(2);
    painter.fillRoundedRect(b, 2, rgb(150, 150, 160));
    painter.fillRoundedRect({ b.x + 1, b.y + 1, b.width - 2, b.height - 2 }, 1.5, white);
    painter.fillEllipse({ b.x + 3, b.y + 4.5, 4, 4 }, rgb(210, 50, 50));
    painter.fillEllipse({ b.x + 8, b.y + 4.5, 4, 4 }, rgb(40, 160, 70));
    painter.fillEllipse({ b.x + 13, b.y + 4.5, 4, 4 }, rgb(40, 90, 200));

    // 4: a teal card with a dark stripe across.
    b = card(3);
    painter.fillRoundedRect(b, 2, rgb(20, 150, 160));
    painter.fillRect({ b.x, b.y + 2, b.width, 3 }, rgb(20, 40, 50));
    painter.fillRect({ b.x + 3, b.y + 8, 9, 1.5 }, white);

    // 5: a bank: a roof, three columns and a step on a pale card.
    b = card(4);
    painter.fillRoundedRect(b, 2, rgb(225, 228, 235));
    const auto stone = rgb(70, 80, 95);
    painter.fillPath({ { b.x + 10, b.y + 1.5 }, { b.x + 17, b.y + 4.5 }, { b.x + 3, b.y + 4.5 } }, stone);
    for (int column = 0; column < 3; ++column)
        painter.fillRect({ b.x + 5 + column * 4, b.y + 5.5, 2, 4.5 }, stone);
    painter.fillRect({ b.x + 3.5, b.y + 10, 13, 1.5 }, stone);

    // 6: a purple card with a chip and two lines.
    b = card(5);
    painter.fillRoundedRect(b, 2, rgb(110, 50, 150));
    painter.fillRoundedRect({ b.x + 3, b.y + 3, 5, 4 }, 1, rgb(220, 200, 120));
    painter.fillRect({ b.x + 10, b.y + 3.5, 7, 1.5 }, white);
    painter.fillRect({ b.x + 3, b.y + 9, 14, 1.5 }, rgb(200, 170, 230));
}

// Splits the colours into boxes along their widest channel until there are `count`, and returns
// each box's weighted average.
std::vector<Color> medianCut(const std::map<Color, int>& histogram, size_t count)
{
    struct Entry {
        Color color;
        int weight;
    };
    using Box = std::vector<Entry>;
    std::vector<Box> boxes(1);
    for (auto& [color, weight] : histogram)
        boxes[0].push_back({ color, weight });
    auto channel = [](const Color& c, int k) { return k == 0 ? c.r : k == 1 ? c.g : c.b; };
    while (boxes.size() < count) {
        // The box with the widest spread in any channel splits next.
        int bestBox = -1, bestChannel = 0, bestSpread = 0;
        for (size_t i = 0; i < boxes.size(); ++i) {
            if (boxes[i].size() < 2)
                continue;
            for (int k = 0; k < 3; ++k) {
                auto [lo, hi] = std::minmax_element(boxes[i].begin(), boxes[i].end(),
                    [&](const Entry& a, const Entry& b) { return channel(a.color, k) < channel(b.color, k); });
                int spread = channel(hi->color, k) - channel(lo->color, k);
                if (spread > bestSpread)
                    bestBox = int(i), bestChannel = k, bestSpread = spread;
            }
        }
        if (bestBox < 0)
            break;
        Box& box = boxes[size_t(bestBox)];
        std::sort(box.begin(), box.end(), [&](const Entry& a, const Entry& b) {
            return std::pair(channel(a.color, bestChannel), a.color) < std::pair(channel(b.color, bestChannel), b.color);
        });
        long total = 0;
        for (auto& entry : box)
            total += entry.weight;
        long running = 0;
        size_t split = 1;
        for (size_t i = 0; i + 1 < box.size(); ++i) {
            running += box[i].weight;
            split = i + 1;
            if (running * 2 >= total)
                break;
        }
        Box upper(box.begin() + long(split), box.end());
        box.resize(split);
        boxes.push_back(std::move(upper));
    }
    std::vector<Color> palette;
    for (auto& box : boxes) {
        double r = 0, g = 0, b = 0, weight = 0;
        for (auto& entry : box) {
            r += entry.color.r * entry.weight, g += entry.color.g * entry.weight, b += entry.color.b * entry.weight;
            weight += entry.weight;
        }
        palette.push_back({ int(std::lround(r / weight)), int(std::lround(g / weight)), int(std::lround(b / weight)) });
    }
    return palette;
}

struct Quantized {
    std::array<Color, kPaletteSize> palette {};
    std::vector<GifByteType> indices;
};

// Pixels less than half covered become transparent; the rest take the nearest of 127 colours.
Quantized quantize(const render::Painter& painter)
{
    std::vector<Color> colors(size_t(kWidth * kHeight));
    std::vector<bool> opaque(colors.size());
    std::map<Color, int> histogram;
    const unsigned char* data = painter.data();
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            uint32_t pixel = *reinterpret_cast<const uint32_t*>(data + y * painter.stride() + x * 4);
            int a = int(pixel >> 24);
            size_t i = size_t(y * kWidth + x);
            if (a < 128)
                continue;
            // Cairo keeps premultiplied colour.
            auto unpremultiply = [a](uint32_t channel) { return std::min(255, int(std::lround(channel * 255.0 / a))); };
            colors[i] = { unpremultiply((pixel >> 16) & 0xFF), unpremultiply((pixel >> 8) & 0xFF), unpremultiply(pixel & 0xFF) };
            opaque[i] = true;
            ++histogram[colors[i]];
        }
    }
    std::vector<Color> chosen = medianCut(histogram, kPaletteSize - 1);

    Quantized result;
    std::vector<int> slots;
    for (int index = 0; index < kPaletteSize; ++index) {
        if (index != kTransparentIndex)
            slots.push_back(index);
    }
    for (size_t i = 0; i < chosen.size(); ++i)
        result.palette[size_t(slots[i])] = chosen[i];
    result.palette[kTransparentIndex] = { 255, 255, 255 };

    result.indices.resize(colors.size(), kTransparentIndex);
    for (size_t i = 0; i < colors.size(); ++i) {
        if (!opaque[i])
            continue;
        long best = -1;
        int bestSlot = 0;
        for (size_t k = 0; k < chosen.size(); ++k) {
            long dr = colors[i].r - chosen[k].r, dg = colors[i].g - chosen[k].g, db = colors[i].b - chosen[k].b;
            long distance = dr * dr + dg * dg + db * db;
            if (best < 0 || distance < best)
                best = distance, bestSlot = slots[k];
        }
        result.indices[i] = GifByteType(bestSlot);
    }
    return result;
}

int writeToVector(GifFileType* gif, const GifByteType* bytes, int length)
{
    auto* out = static_cast<std::vector<unsigned char>*>(gif->UserData);
    out->insert(out->end(), bytes, bytes + length);
    return length;
}

std::vector<unsigned char> encodeGIF(const Quantized& picture)
{
    std::vector<unsigned char> bytes;
    int error = 0;
    GifFileType* gif = EGifOpen(&bytes, writeToVector, &error);
    if (!gif)
        return { };
    EGifSetGifVersion(gif, true);
    GifColorType colors[kPaletteSize];
    for (int i = 0; i < kPaletteSize; ++i)
        colors[i] = { GifByteType(picture.palette[size_t(i)].r), GifByteType(picture.palette[size_t(i)].g),
            GifByteType(picture.palette[size_t(i)].b) };
    ColorMapObject* palette = GifMakeMapObject(kPaletteSize, colors);
    bool ok = EGifPutScreenDesc(gif, kWidth, kHeight, 8, kTransparentIndex, palette) == GIF_OK;

    GraphicsControlBlock control {};
    control.DisposalMode = DISPOSAL_UNSPECIFIED;
    control.DelayTime = 0;
    control.TransparentColor = kTransparentIndex;
    GifByteType extension[4];
    size_t length = EGifGCBToExtension(&control, extension);
    ok = ok && EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(length), extension) == GIF_OK;
    ok = ok && EGifPutImageDesc(gif, 0, 0, kWidth, kHeight, false, nullptr) == GIF_OK;
    for (int y = 0; ok && y < kHeight; ++y)
        ok = EGifPutLine(gif, const_cast<GifByteType*>(&picture.indices[size_t(y * kWidth)]), kWidth) == GIF_OK;
    GifFreeMapObject(palette);
    if (EGifCloseFile(gif, &error) != GIF_OK || !ok)
        return { };
    return bytes;
}

std::string base64(const std::vector<unsigned char>& bytes)
{
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        uint32_t group = uint32_t(bytes[i]) << 16;
        if (i + 1 < bytes.size())
            group |= uint32_t(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size())
            group |= bytes[i + 2];
        out += kAlphabet[(group >> 18) & 63];
        out += kAlphabet[(group >> 12) & 63];
        out += i + 1 < bytes.size() ? kAlphabet[(group >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? kAlphabet[group & 63] : '=';
    }
    return out;
}

std::string header(const std::string& encoded)
{
    std::string text = "#pragma once\n\n"
                       "// The donation button's picture: a 147 x 47 GIF89a with one frame and a 128-colour palette\n"
                       "// whose index 122 is the transparent colour and the background. Made by\n"
                       "// resources/tools/MakeDonateButtonImage.cpp; run it again rather than editing this.\n"
                       "inline constexpr const char* kDonateButtonImageURL = \"data:image/gif;base64,\"\n";
    constexpr size_t kLine = 96;
    for (size_t i = 0; i < encoded.size(); i += kLine)
        text += "    \"" + encoded.substr(i, kLine) + "\"" + (i + kLine >= encoded.size() ? ";\n" : "\n");
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s HEADER.h [PICTURE.gif]\n", argv[0]);
        return 2;
    }
    render::configureFonts();
    render::Painter painter(kWidth, kHeight, 1);
    painter.clear({ 0, 0, 0, 0 });
    cairo_t* cr = cairo_create(painter.surface());
    drawButton(painter, cr);
    cairo_destroy(cr);
    drawBadges(painter);

    auto gif = encodeGIF(quantize(painter));
    if (gif.empty()) {
        std::fputs("could not encode the picture\n", stderr);
        return 1;
    }
    std::ofstream(argv[1], std::ios::binary) << header(base64(gif));
    if (argc == 3)
        std::ofstream(argv[2], std::ios::binary).write(reinterpret_cast<const char*>(gif.data()), std::streamsize(gif.size()));
    std::printf("%zu bytes of GIF, %zu characters of data URL\n", gif.size(), gif.size() * 4 / 3 + 22);
    return 0;
}

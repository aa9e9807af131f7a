#include "platform/host/DeviceProfile.h"
#include "platform/render/Painter.h"
#include "platform/uikit/UIFont.h"
#include "platform/uikit/UITextView.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

// About 1 MiB of changelog-like text: paragraphs under headings, each heading bold and blue.
struct LongText {
    NSString text;
    std::vector<NSRange> headings;
};

const LongText& longText()
{
    static const LongText text = [] {
        LongText made;
        std::string utf8;
        std::vector<std::pair<size_t, size_t>> headingBytes;
        const std::string paragraph
            = "- Fixed a crash when the device was rotated while an alert was shown, and a layout glitch on "
              "the settings screen where the labels overlapped the switches on smaller screens.\n"
              "- The changelog scrolls smoothly and keeps its place; text can be selected and copied.\n\n";
        for (int version = 0; utf8.size() < (1u << 20); ++version) {
            std::string heading = "Version " + std::to_string(version / 10) + "." + std::to_string(version % 10) + ":";
            headingBytes.emplace_back(utf8.size(), heading.size());
            utf8 += heading + "\n" + paragraph + paragraph;
        }
        made.text = NSString(utf8);
        // The text is ASCII, so bytes and UTF-16 units agree.
        for (auto [start, length] : headingBytes)
            made.headings.push_back({ NSUInteger(start), NSUInteger(length) });
        return made;
    }();
    return text;
}

std::shared_ptr<NSAttributedString> emphasised(const LongText& source)
{
    NSDictionary regular { { NSFontAttributeName, UIFont::fontWithName("Helvetica", 16) },
        { NSForegroundColorAttributeName, UIColor::blackColor() } };
    auto base = NSAttributedString::initWithString(source.text, regular);
    auto text = NSMutableAttributedString::initWithAttributedString(*base);
    NSDictionary bold { { NSFontAttributeName, UIFont::boldSystemFontOfSize(16) },
        { NSForegroundColorAttributeName, UIColor::colorWithRed(0, 122 / 255.0, 1, 1) } };
    for (auto range : source.headings)
        text->setAttributes(bold, range);
    return text;
}

DeviceProfile ipad()
{
    for (auto& device : deviceProfiles()) {
        if (device.name == "ipad")
            return device;
    }
    return deviceProfiles().front();
}

std::shared_ptr<UITextView> makeTextView(const DeviceProfile& device)
{
    auto view = UITextView::create();
    view->setFont(UIFont::fontWithName("Helvetica", 16));
    view->setFrame(CGRectMake(0, 64, CGFloat(device.width), CGFloat(device.height - 20 - 44)));
    view->setEditable(false);
    return view;
}

// Giving a text view 1 MiB of emphasised text and drawing its first frame: the layout and the
// lines in view.
void BM_TextViewFirstFrame(benchmark::State& state)
{
    render::configureFonts();
    DeviceProfile device = ipad();
    auto text = emphasised(longText());
    render::Painter painter(device.width, device.height, 2);
    for (auto _ : state) {
        auto view = makeTextView(device);
        view->setAttributedText(text);
        painter.beginFrame();
        view->drawHierarchy(painter);
        benchmark::DoNotOptimize(painter.data());
        state.PauseTiming();
        view.reset();
        state.ResumeTiming();
    }
    state.counters["bytes"] = double(longText().text.utf8().size());
}

// One frame of the same text view scrolled by a wheel step, the layout already made.
void BM_TextViewScrollFrame(benchmark::State& state)
{
    render::configureFonts();
    DeviceProfile device = ipad();
    auto view = makeTextView(device);
    view->setAttributedText(emphasised(longText()));
    view->setContentOffset({ 0, view->contentHeight() / 2 });
    render::Painter painter(device.width, device.height, 2);
    CGFloat step = 40;
    for (auto _ : state) {
        if (!view->scrollBy(step)) {
            step = -step;
            view->scrollBy(step);
        }
        painter.beginFrame();
        view->drawHierarchy(painter);
        benchmark::DoNotOptimize(painter.data());
    }
    state.counters["lines"] = double(view->lineCount());
}

BENCHMARK(BM_TextViewFirstFrame)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_TextViewScrollFrame)->Unit(benchmark::kMillisecond);

} // namespace

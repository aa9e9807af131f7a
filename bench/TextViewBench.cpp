#include "platform/host/DeviceProfile.h"
#include "platform/render/Fonts.h"
#include "platform/render/Painter.h"
#include "platform/uikit/UIFont.h"
#include "platform/uikit/UITextView.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <string>

namespace {

// Changelog-like text of a size: paragraphs under headings, each heading bold and blue.
struct LongText {
    NSString text;
    std::vector<NSRange> headings;
};

LongText makeLongText(size_t bytes)
{
    LongText made;
    std::string utf8;
    utf8.reserve(bytes + 1024);
    std::vector<std::pair<size_t, size_t>> headingBytes;
    const std::string paragraph
        = "- Fixed a crash when the device was rotated while an alert was shown, and a layout glitch on "
          "the settings screen where the labels overlapped the switches on smaller screens.\n"
          "- The changelog scrolls smoothly and keeps its place; text can be selected and copied.\n\n";
    for (int version = 0; utf8.size() < bytes; ++version) {
        std::string heading = "Version " + std::to_string(version / 10) + "." + std::to_string(version % 10) + ":";
        headingBytes.emplace_back(utf8.size(), heading.size());
        utf8 += heading + "\n" + paragraph + paragraph;
    }
    made.text = NSString(utf8);
    // The text is ASCII, so bytes and UTF-16 units agree.
    for (auto [start, length] : headingBytes)
        made.headings.push_back({ NSUInteger(start), NSUInteger(length) });
    return made;
}

const LongText& longText()
{
    static const LongText text = makeLongText(1u << 20);
    return text;
}

const LongText& sixteenMebibytes()
{
    static const LongText text = makeLongText(16u << 20);
    return text;
}

// At most about 2,000 headings are emphasised, spread over the text: each emphasis rewrites the
// list of runs, so tens of thousands would cost the set-up minutes.
std::shared_ptr<NSAttributedString> emphasised(const LongText& source)
{
    NSDictionary regular { { NSFontAttributeName, UIFont::fontWithName("Helvetica", 16) },
        { NSForegroundColorAttributeName, UIColor::blackColor() } };
    auto base = NSAttributedString::initWithString(source.text, regular);
    auto text = NSMutableAttributedString::initWithAttributedString(*base);
    NSDictionary bold { { NSFontAttributeName, UIFont::boldSystemFontOfSize(16) },
        { NSForegroundColorAttributeName, kSystemTintColor } };
    size_t every = std::max<size_t>(1, source.headings.size() / 2000);
    for (size_t i = 0; i < source.headings.size(); i += every)
        text->setAttributes(bold, source.headings[i]);
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

// One frame of a 16 MiB text view after a wheel step, at the top, in the middle and at the end
// (the argument, in per cent of the content): the blocks in view are laid out already, and each
// step lays out what comes into view.
void BM_TextViewScrollFrame(benchmark::State& state)
{
    render::configureFonts();
    DeviceProfile device = ipad();
    auto view = makeTextView(device);
    view->setAttributedText(emphasised(sixteenMebibytes()));
    double fraction = double(state.range(0)) / 100;
    view->setContentOffset({ 0, fraction >= 1 ? 1e12 : view->contentHeight() * fraction });
    render::Painter painter(device.width, device.height, 2);
    CGFloat step = fraction >= 1 ? -40 : 40;
    for (auto _ : state) {
        if (!view->scrollBy(step)) {
            step = -step;
            view->scrollBy(step);
        }
        painter.beginFrame();
        view->drawHierarchy(painter);
        benchmark::DoNotOptimize(painter.data());
    }
}

// One frame after a jump to somewhere not laid out yet in a 16 MiB text (a drag of the scroll
// position, End): the screen there and about one more are laid out before the frame is drawn.
void BM_TextViewJumpFrame(benchmark::State& state)
{
    render::configureFonts();
    DeviceProfile device = ipad();
    auto view = makeTextView(device);
    view->setAttributedText(emphasised(sixteenMebibytes()));
    render::Painter painter(device.width, device.height, 2);
    double position = 0.013;
    for (auto _ : state) {
        position = std::fmod(position + 0.137, 1.0);
        view->setContentOffset({ 0, view->contentHeight() * position });
        painter.beginFrame();
        view->drawHierarchy(painter);
        benchmark::DoNotOptimize(painter.data());
    }
}

BENCHMARK(BM_TextViewFirstFrame)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_TextViewScrollFrame)->Unit(benchmark::kMillisecond)->Arg(0)->Arg(50)->Arg(100);
BENCHMARK(BM_TextViewJumpFrame)->Unit(benchmark::kMillisecond)->Iterations(50);

} // namespace

#include "platform/uikit/UITextView.h"

#include "platform/quartzcore/CAAnimationEngine.h"
#include "platform/render/Painter.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIPasteboard.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIWindow.h"
#include "tests/support/Pixels.h"
#include "tests/support/UIKitFixture.h"

#include <gtest/gtest.h>

namespace {

constexpr UIColor kRed = UIColor::colorWithRed(1, 0, 0, 1);
constexpr UIColor kBlue = UIColor::colorWithRed(0, 0, 1, 1);

class UITextViewTest : public UIKitFixture {
protected:
    UITextViewTest()
        : UIKitFixture(1)
    {
    }
    void SetUp() override
    {
        UIKitFixture::SetUp();
        _window = UIWindow::initWithFrame(UIScreen::mainScreen().bounds());
        _window->makeKeyAndVisible();
        _view = UITextView::create();
        _view->setFont(UIFont::fontWithName("Helvetica", 16));
        _view->setFrame(CGRectMake(0, 64, 320, 200));
        _view->setEditable(false);
        _window->addSubview(_view);
    }
    // A touch at a point of the view, delivered as the window delivers it.
    void touch(UITouchPhase phase, CGPoint inView)
    {
        _application->sendTouch(phase, { inView.x, inView.y + 64 });
    }
    void wait(double seconds)
    {
        auto& engine = CAAnimationEngine::shared();
        engine.advanceTo(engine.currentTime() + seconds);
    }
    // The columns of device pixels where the colour shows, left to right.
    static std::vector<int> columnsWith(const render::Painter& painter, bool (*matches)(const test::Pixel&))
    {
        std::vector<int> columns;
        for (int x = 0; x < painter.pixelWidth(); ++x) {
            for (int y = 0; y < painter.pixelHeight(); ++y) {
                if (matches(test::pixelAt(painter, x, y))) {
                    columns.push_back(x);
                    break;
                }
            }
        }
        return columns;
    }

    std::shared_ptr<UIWindow> _window;
    std::shared_ptr<UITextView> _view;
};

TEST_F(UITextViewTest, TakesAttributedTextAndFontAndColourSetOnTheWholeText)
{
    EXPECT_TRUE(_view->respondsToSelector("setAttributedText:"));
    EXPECT_FALSE(_view->respondsToSelector("setBogus:"));
    _view->setText(NSString("one two three"));
    auto text = NSMutableAttributedString::initWithAttributedString(*_view->attributedText());
    text->setAttributes({ { NSForegroundColorAttributeName, kRed } }, { 4, 3 });
    _view->setAttributedText(text);
    auto runs = _view->attributeRuns();
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[1].range, NSMakeRange(4, 3));
    EXPECT_FALSE(runs[1].font);
    EXPECT_EQ(runs[1].color, kRed);
    EXPECT_EQ(runs[0].font, UIFont::fontWithName("Helvetica", 16));

    // The view's font and colour go over every run and keep the runs' other attributes.
    _view->setTextColor(kBlue);
    _view->setFont(UIFont::systemFontOfSize(12));
    for (auto& run : _view->attributeRuns()) {
        EXPECT_EQ(run.color, kBlue);
        EXPECT_EQ(run.font, UIFont::systemFontOfSize(12));
    }
    EXPECT_EQ(_view->text(), NSString("one two three"));
    // No text at all reads as an empty text.
    _view->setText(std::nullopt);
    EXPECT_EQ(_view->text(), NSString());
}

TEST_F(UITextViewTest, RunsAreDrawnWhereTheirUTF16RangesFallPastEmojiAndMarks)
{
    // An emoji (two UTF-16 units, four bytes), a precomposed accent and a combining mark lie
    // before the red run; a wrong mapping from units to bytes would colour the wrong letters.
    NSString text("\xF0\x9F\x98\x80\xC3\xA9" "e\xCC\x81 WWW");
    ASSERT_EQ(text.length(), 9u);
    NSDictionary black { { NSFontAttributeName, UIFont::fontWithName("Helvetica", 16) },
        { NSForegroundColorAttributeName, UIColor::blackColor() } };
    auto attributed = NSMutableAttributedString::initWithAttributedString(*NSAttributedString::initWithString(text, black));
    attributed->setAttributes({ { NSForegroundColorAttributeName, kRed } }, { 6, 3 });
    _view->setAttributedText(attributed);

    render::Painter painter(320, 200, 1);
    painter.clear({ 1, 1, 1, 1 });
    _view->setFrame(CGRectMake(0, 0, 320, 200));
    _view->drawHierarchy(painter);
    auto red = columnsWith(painter, [](const test::Pixel& p) { return p.r > 180 && p.g < 80 && p.b < 80; });
    auto dark = columnsWith(painter, [](const test::Pixel& p) { return p.r < 90 && p.g < 90 && p.b < 90; });
    ASSERT_FALSE(red.empty());
    ASSERT_FALSE(dark.empty());
    // Everything before the space is black, the three W after it red, none of it mixed.
    EXPECT_LT(dark.back(), red.front());
    EXPECT_GT(red.back() - red.front(), 20);
}

TEST_F(UITextViewTest, ScrollsWithinItsContentOnly)
{
    std::string lines;
    for (int i = 0; i < 60; ++i)
        lines += "Line " + std::to_string(i) + "\n";
    _view->setText(NSString(lines));
    CGFloat content = _view->contentHeight();
    EXPECT_GT(content, 60 * 16);
    EXPECT_EQ(_view->lineCount(), 61u);

    EXPECT_FALSE(_view->scrollBy(-10));
    EXPECT_EQ(_view->contentOffset(), CGPointMake(0, 0));
    EXPECT_TRUE(_view->scrollBy(1e6));
    EXPECT_EQ(_view->contentOffset(), CGPointMake(0, content - 200));
    EXPECT_FALSE(_view->scrollBy(5));

    // A drag moves the content with the finger.
    _view->setContentOffset({ 0, 100 });
    touch(UITouchPhase::Began, { 100, 150 });
    touch(UITouchPhase::Moved, { 100, 120 });
    touch(UITouchPhase::Moved, { 100, 110 });
    touch(UITouchPhase::Ended, { 100, 110 });
    EXPECT_EQ(_view->contentOffset(), CGPointMake(0, 140));
    EXPECT_EQ(_view->selectedRange().length, 0u);

    // New text starts at the top again; a short one cannot scroll at all.
    _view->setText(NSString("short"));
    EXPECT_EQ(_view->contentOffset(), CGPointMake(0, 0));
    EXPECT_FALSE(_view->scrollBy(10));
}

TEST_F(UITextViewTest, LongPressSelectsAWordDragExtendsAndCopyTakesIt)
{
    _view->setText(NSString("alpha beta gamma delta"));
    // A point inside "beta": measure where its characters lie by asking the view.
    CGPoint inBeta { 5, 18 };
    while (_view->characterIndexAtPoint(inBeta) < 7)
        inBeta.x += 2;
    touch(UITouchPhase::Began, inBeta);
    wait(UITextView::kLongPressDuration / 2);
    EXPECT_EQ(_view->selectedRange().length, 0u);
    wait(UITextView::kLongPressDuration);
    EXPECT_EQ(_view->selectedRange(), NSMakeRange(6, 4));

    // Dragging to the right end of the line takes in the rest of the text.
    touch(UITouchPhase::Moved, { 310, inBeta.y });
    touch(UITouchPhase::Ended, { 310, inBeta.y });
    EXPECT_EQ(_view->selectedRange(), NSMakeRange(6, 16));
    EXPECT_EQ(_view->contentOffset(), CGPointMake(0, 0));

    EXPECT_TRUE(_application->copy());
    EXPECT_EQ(UIPasteboard::generalPasteboard().string(), NSString("beta gamma delta"));
    // Editing is off: the text never changed.
    EXPECT_EQ(_view->text(), NSString("alpha beta gamma delta"));

    // A short tap puts the selection away, and then there is nothing to copy.
    touch(UITouchPhase::Began, inBeta);
    touch(UITouchPhase::Ended, inBeta);
    EXPECT_EQ(_view->selectedRange().length, 0u);
    EXPECT_FALSE(_application->copy());
}

TEST_F(UITextViewTest, SelectingChecksTheRangeAndNewTextClearsIt)
{
    _view->setText(NSString("a\xF0\x9F\x98\x80z"));
    EXPECT_TRUE(_view->selectTextRange({ 1, 2 }));
    EXPECT_TRUE(_view->copy());
    EXPECT_EQ(UIPasteboard::generalPasteboard().string(), NSString("\xF0\x9F\x98\x80"));
    EXPECT_FALSE(_view->selectTextRange({ 3, 2 }));
    EXPECT_FALSE(_view->selectTextRange({ 5, 0 }));
    EXPECT_EQ(_view->selectedRange(), NSMakeRange(1, 2));
    _view->setText(NSString("other"));
    EXPECT_EQ(_view->selectedRange(), NSMakeRange(0, 0));
}

TEST_F(UITextViewTest, FrameDrawsTheLinesInViewWithTheInsets)
{
    std::string lines;
    for (int i = 0; i < 200; ++i)
        lines += "Line\n";
    _view->setText(NSString(lines));
    _view->setFrame(CGRectMake(0, 0, 320, 100));
    render::Painter painter(320, 100, 2);
    _view->drawHierarchy(painter);
    // The first line starts 8 points down and 5 in.
    int left = 640, top = 200;
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 640; ++x) {
            auto p = test::pixelAt(painter, x, y);
            if (p.r < 128) {
                left = std::min(left, x);
                top = std::min(top, y);
            }
        }
    }
    EXPECT_GE(left, 2 * 5);
    EXPECT_LE(left, 2 * 7);
    EXPECT_GE(top, 2 * 8);
    EXPECT_LE(top, 2 * 13);

    // Far down, the view still draws text (the lines there, not the first ones).
    _view->setContentOffset({ 0, 2000 });
    render::Painter scrolled(320, 100, 2);
    _view->drawHierarchy(scrolled);
    int darkPixels = 0;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 640; ++x)
            darkPixels += test::pixelAt(scrolled, x, y).r < 128 ? 1 : 0;
    EXPECT_GT(darkPixels, 100);
}

// Text from anywhere opens, scrolls to its end, and can be selected across a paragraph and copied
// exactly, however it is built: every row ends in a short last paragraph below its hostile part.
TEST_F(UITextViewTest, HostileTextsOpenScrollToTheEndAndCopyExactly)
{
    auto repeat = [](const std::string& piece, size_t times) {
        std::string text;
        text.reserve(piece.size() * times);
        for (size_t i = 0; i < times; ++i)
            text += piece;
        return text;
    };
    std::string shortLines;
    for (int i = 0; i < 100000; ++i)
        shortLines += "line " + std::to_string(i) + "\n";
    struct Case {
        const char* name;
        std::string text;
    };
    const Case cases[] = {
        { "one line of 300,000 letters without a space", "first\n" + repeat("abcdefghij", 30000) },
        { "one letter with 65,536 combining marks", repeat("line\n", 30) + "a" + repeat("\xCC\x81", 65536) },
        { "100,000 short lines", shortLines },
        { "mixed right-to-left",
            repeat("English \xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D \xD9\x85\xD8\xB1\xD8\xAD\xD8\xA8\xD8\xA7 123 (end)\n", 2000) },
        { "emoji: families, flags, skin tones",
            repeat("\xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x91\xA7 "
                   "\xF0\x9F\x87\xA9\xF0\x9F\x87\xAA\xF0\x9F\x87\xAB\xF0\x9F\x87\xB7 \xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD ok\n",
                2000) },
        { "NULs", repeat(std::string("a\0b\0\0c ", 7) + "\n", 5000) + std::string(100000, '\0') },
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        NSString text(c.text + "\nThe end.");
        _view->setText(text);
        ASSERT_EQ(_view->text().length(), text.length());

        EXPECT_TRUE(_view->scrollBy(1e9));
        EXPECT_GT(_view->contentOffset().y, 0);
        EXPECT_EQ(_view->contentOffset().y, _view->contentHeight() - 200);
        render::Painter painter(320, 200, 1);
        painter.clear({ 1, 1, 1, 1 });
        _view->setFrame(CGRectMake(0, 0, 320, 200));
        _view->drawHierarchy(painter);
        _view->setFrame(CGRectMake(0, 64, 320, 200));
        EXPECT_FALSE(columnsWith(painter, [](const test::Pixel& p) { return p.r < 90; }).empty()) << "nothing drawn at the end";

        // Hold on the top line, drag to the last one.
        touch(UITouchPhase::Began, { 20, 14 });
        wait(2 * UITextView::kLongPressDuration);
        touch(UITouchPhase::Moved, { 300, 190 });
        touch(UITouchPhase::Ended, { 300, 190 });
        NSRange selected = _view->selectedRange();
        ASSERT_GT(selected.length, 0u);
        ASSERT_LE(selected.end(), text.length());
        NSString copied = text.substringWithRange(selected);
        EXPECT_NE(copied.utf16().find(u'\n'), std::u16string::npos) << "the selection stays in one paragraph";
        auto inPair = [&](NSUInteger at) { return at < text.length() && (text.characterAtIndex(at) & 0xFC00) == 0xDC00; };
        EXPECT_FALSE(inPair(selected.location) || inPair(selected.end())) << "the selection splits a character";
        EXPECT_TRUE(_application->copy());
        EXPECT_EQ(UIPasteboard::generalPasteboard().string(), copied);
    }
}

} // namespace

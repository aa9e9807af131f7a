#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <optional>
#include <poll.h>
#include <string>
#include <unistd.h>
#include <vector>

extern char** environ;

// The built program driven through pipes as another program drives it: one line is written, its
// answer is read, and only then is the next line written.
namespace {

using Clock = std::chrono::steady_clock;

// However slow the machine, a session this long has hung.
constexpr auto kSessionLimit = std::chrono::seconds(60);

class DrivenProgram {
public:
    enum Stream { Out, Err };

    // Starts the program headless on ROOT; its standard input is a pipe, or INPUT_FILE when given.
    DrivenProgram(const std::string& root, const std::optional<std::string>& inputFile = std::nullopt)
        : _deadline(Clock::now() + kSessionLimit)
        , _readsFile(inputFile.has_value())
        , _file(inputFile ? open(inputFile->c_str(), O_RDONLY | O_CLOEXEC) : -1)
        , _program({ ZENTROVA_PROGRAM, "--headless", "--dry-run", "--root", root }, options(_file))
        , _fds { _program.output(), _program.error() }
    {
        // A write to a program that has gone must fail the test, not end it.
        std::signal(SIGPIPE, SIG_IGN);
    }

    ~DrivenProgram()
    {
        if (_file >= 0)
            close(_file);
    }

    bool started() const { return _program.started() && (_file >= 0) == _readsFile; }

    bool send(const std::string& text)
    {
        size_t sent = 0;
        while (sent < text.size()) {
            ssize_t count = write(_program.input(), text.data() + sent, text.size() - sent);
            if (count < 0 && errno == EINTR)
                continue;
            if (count <= 0)
                return false;
            sent += size_t(count);
        }
        return true;
    }

    void closeInput() { _program.closeInput(); }

    // The next whole line on the stream, without its break; none once the stream has ended or the
    // session has run out of time.
    std::optional<std::string> readLine(Stream stream)
    {
        for (;;) {
            auto& buffer = _buffers[stream];
            if (auto end = buffer.find('\n'); end != std::string::npos) {
                std::string line = buffer.substr(0, end);
                buffer.erase(0, end + 1);
                return line;
            }
            if (_fds[stream] < 0 || !readSome())
                return std::nullopt;
        }
    }

    // Whether anything at all came on the stream beyond the lines read so far, once it ended.
    std::string rest(Stream stream)
    {
        while (_fds[stream] >= 0 && readSome()) { }
        return _buffers[stream];
    }

    // The exit status once both streams have ended; none when the program did not end in time.
    std::optional<int> exitStatus()
    {
        while ((_fds[Out] >= 0 || _fds[Err] >= 0) && readSome()) { }
        if (_fds[Out] >= 0 || _fds[Err] >= 0)
            return std::nullopt;
        return _program.wait();
    }

private:
    // The input is a pipe unless it is FILE; what is written and read goes through pipes.
    static ChildProcess::Options options(int file)
    {
        using Stream = ChildProcess::Stream;
        ChildProcess::Options options { .input = file >= 0 ? Stream::Inherit : Stream::Pipe, .output = Stream::Pipe, .error = Stream::Pipe };
        if (file >= 0)
            options.descriptors.emplace_back(file, 0);
        // Under the sanitizers the leak checker's note of what it suppressed would end standard
        // error; what the app itself wrote there is what is checked.
        options.environment.emplace();
        for (char** variable = environ; *variable; ++variable) {
            options.environment->emplace_back(*variable);
            if (options.environment->back().starts_with("LSAN_OPTIONS="))
                options.environment->back() += ":print_suppressions=0";
        }
        return options;
    }

    // Waits for output on either stream and keeps it; false when time ran out.
    bool readSome()
    {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(_deadline - Clock::now()).count();
        if (left <= 0)
            return false;
        pollfd polled[2] = { { _fds[Out], POLLIN, 0 }, { _fds[Err], POLLIN, 0 } };
        int ready = poll(polled, 2, int(left));
        if (ready < 0 && errno == EINTR)
            return true;
        if (ready <= 0)
            return false;
        for (int stream : { Out, Err }) {
            if (!(polled[stream].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            char chunk[4096];
            ssize_t count = read(_fds[stream], chunk, sizeof chunk);
            if (count > 0) {
                _buffers[stream].append(chunk, size_t(count));
            } else if (count == 0 || errno != EINTR) {
                // The program's object closes the pipe; the stream is only marked as ended here.
                _fds[stream] = -1;
            }
        }
        return true;
    }

    Clock::time_point _deadline;
    bool _readsFile;
    int _file;
    ChildProcess _program;
    int _fds[2];
    std::string _buffers[2];
};

const nlohmann::json* findById(const nlohmann::json& node, const std::string& id)
{
    if (node.is_object() && node.value("id", "") == id)
        return &node;
    if (node.is_structured()) {
        for (auto& child : node) {
            if (auto* found = findById(child, id))
                return found;
        }
    }
    return nullptr;
}

constexpr const char* kRespring = "system(\"killall -9 SpringBoard\")";

TEST(PipeSession, EachAnswerArrivesWhileTheInputIsStillOpen)
{
    TempDir root;
    DrivenProgram app(root.path().string());
    ASSERT_TRUE(app.started());

    // The first answer comes before anything more is written: the app does not wait for the end.
    ASSERT_TRUE(app.send("tap \"Respring\"\n"));
    EXPECT_EQ(app.readLine(DrivenProgram::Out), kRespring);

    // A tree is one line of JSON, read as the app decides from it.
    ASSERT_TRUE(app.send("tap \"Settings\"\ntree\n"));
    auto line = app.readLine(DrivenProgram::Out);
    ASSERT_TRUE(line);
    auto tree = nlohmann::json::parse(*line, nullptr, false);
    ASSERT_FALSE(tree.is_discarded()) << line->substr(0, 200);
    auto* alerts = findById(tree, "alertSwitch");
    ASSERT_TRUE(alerts);
    EXPECT_EQ((*alerts)["on"], false);

    ASSERT_TRUE(app.send("tap #alertSwitch\ntap \"Back\"\ntap \"Respring\"\ntree\n"));
    line = app.readLine(DrivenProgram::Out);
    ASSERT_TRUE(line);
    tree = nlohmann::json::parse(*line, nullptr, false);
    ASSERT_EQ(tree["alerts"].size(), 1u);
    EXPECT_EQ(tree["alerts"][0]["buttons"], nlohmann::json::parse(R"(["No", "Yes"])"));

    // The last line needs no line break: the end of the input ends it.
    ASSERT_TRUE(app.send("tap \"Yes\""));
    app.closeInput();
    EXPECT_EQ(app.readLine(DrivenProgram::Out), kRespring);
    EXPECT_EQ(app.exitStatus(), 0);
    EXPECT_EQ(app.rest(DrivenProgram::Out), "");
    EXPECT_EQ(app.rest(DrivenProgram::Err), "");
}

TEST(PipeSession, ABadLineIsReportedByNumberAndTheSessionGoesOnToFailAtTheEnd)
{
    TempDir root;
    DrivenProgram app(root.path().string());
    ASSERT_TRUE(app.started());
    auto answerTo = [&](const std::string& line) {
        EXPECT_TRUE(app.send(line));
        return app.readLine(DrivenProgram::Err).value_or("(no answer)");
    };
    EXPECT_EQ(answerTo("jump\n").rfind("line 1: unknown command 'jump'", 0), 0u);
    EXPECT_EQ(answerTo("tap \"Power Off\"\n"), "line 2: nothing on screen matches \"Power Off\"");
    EXPECT_EQ(answerTo("tap 5,nan\n"), "line 3: '5,nan' is not a point: use X,Y in screen points");
    EXPECT_EQ(answerTo("tap \"\x1b[2J\"\n").rfind("line 4: holds the control character", 0), 0u);
    // A line far beyond the bound is read past, not kept, and counts as one line.
    EXPECT_EQ(answerTo(std::string(1 << 20, 'a') + "\n"), "line 5: longer than 4096 bytes");

    ASSERT_TRUE(app.send("# a comment\n\ntap \"Respring\"\n"));
    EXPECT_EQ(app.readLine(DrivenProgram::Out), kRespring);
    // quit ends the session with the input still open, and the status tells of the failures.
    ASSERT_TRUE(app.send("quit\ntap \"Respring\"\n"));
    EXPECT_EQ(app.exitStatus(), 2);
    EXPECT_EQ(app.rest(DrivenProgram::Out), "");
    EXPECT_EQ(app.rest(DrivenProgram::Err), "");
}

TEST(PipeSession, AFileOnStandardInputIsCheckedWholeBeforeAnythingRuns)
{
    TempDir root;
    auto script = root.path() / "script.txt";
    std::ofstream(script) << "tap \"Respring\"\njump\n";
    DrivenProgram app(root.path().string(), script.string());
    ASSERT_TRUE(app.started());
    EXPECT_EQ(app.exitStatus(), 2);
    EXPECT_EQ(app.rest(DrivenProgram::Out), "");
    EXPECT_NE(app.rest(DrivenProgram::Err).find("line 2: unknown command 'jump'"), std::string::npos);
}

} // namespace

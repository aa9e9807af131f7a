#include "tests/support/PlistFiles.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <elf.h>
#include <fcntl.h>
#include <link.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

// The program is a launcher that shows the window and the app as a module it loads afterwards
// (platform/host/launcher): what it links decides how soon the window is up.
namespace {

// The libraries an ELF file of this machine names as needed, in order.
std::vector<std::string> neededLibraries(const fs::path& path)
{
    std::string bytes = readFileBytes(path);
    std::vector<std::string> needed;
    auto at = [&](size_t offset, size_t size) { return offset <= bytes.size() && size <= bytes.size() - offset; };
    if (!at(0, sizeof(ElfW(Ehdr))))
        return needed;
    auto* header = reinterpret_cast<const ElfW(Ehdr)*>(bytes.data());
    if (!at(header->e_shoff, size_t(header->e_shnum) * sizeof(ElfW(Shdr))))
        return needed;
    auto* sections = reinterpret_cast<const ElfW(Shdr)*>(bytes.data() + header->e_shoff);
    for (size_t index = 0; index < header->e_shnum; ++index) {
        const auto& dynamic = sections[index];
        if (dynamic.sh_type != SHT_DYNAMIC || dynamic.sh_link >= header->e_shnum)
            continue;
        const auto& strings = sections[dynamic.sh_link];
        if (!at(dynamic.sh_offset, dynamic.sh_size) || !at(strings.sh_offset, strings.sh_size))
            return needed;
        auto* entries = reinterpret_cast<const ElfW(Dyn)*>(bytes.data() + dynamic.sh_offset);
        for (size_t entry = 0; entry < dynamic.sh_size / sizeof(ElfW(Dyn)); ++entry) {
            if (entries[entry].d_tag == DT_NEEDED && entries[entry].d_un.d_val < strings.sh_size)
                needed.emplace_back(bytes.data() + strings.sh_offset + entries[entry].d_un.d_val);
        }
    }
    return needed;
}

bool needsLibraryLike(const std::vector<std::string>& needed, const std::string& part)
{
    for (const auto& library : needed) {
        if (library.find(part) != std::string::npos)
            return true;
    }
    return false;
}

struct Run {
    int status = -1;
    std::string err;
};

// Runs PROGRAM with ARGUMENTS and the given environment, standard input from INPUT; its output is
// dropped, its error output kept.
Run runProgram(const fs::path& program, std::vector<std::string> arguments, std::vector<std::string> environment,
    const fs::path& input, const fs::path& folder)
{
    arguments.insert(arguments.begin(), program.string());
    std::vector<char*> argv, envp;
    for (auto& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    for (auto& variable : environment)
        envp.push_back(variable.data());
    envp.push_back(nullptr);
    auto errPath = folder / "err.txt";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, input.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    Run run;
    pid_t pid = 0;
    int status = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0 && waitpid(pid, &status, 0) == pid)
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    posix_spawn_file_actions_destroy(&actions);
    run.err = readFileBytes(errPath);
    return run;
}

std::vector<std::string> baseEnvironment()
{
    std::vector<std::string> environment = { "PATH=/usr/bin:/bin" };
    // A sanitizer build's options reach the program as they reach this test.
    for (const char* name : { "ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS", "ZENTROVA_FONTS_CONF" }) {
        if (const char* value = getenv(name))
            environment.push_back(std::string(name) + "=" + value);
    }
    return environment;
}

size_t occurrences(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++count;
    return count;
}

} // namespace

TEST(Launcher, LinksTheWindowSystemButNoneOfTheDrawingStack)
{
    auto launcher = neededLibraries(ZENTROVA_PROGRAM);
    auto module = neededLibraries(ZENTROVA_PROGRAM ".so");
    ASSERT_TRUE(needsLibraryLike(launcher, "libSDL2")) << "no dynamic section read";
    for (const char* drawing : { "cairo", "pango", "harfbuzz", "glib", "fontconfig", "freetype", "plist", "gif", "png" })
        EXPECT_FALSE(needsLibraryLike(launcher, drawing)) << drawing;
    // What the launcher leaves out, the app brings.
    for (const char* drawing : { "cairo", "pango", "plist" })
        EXPECT_TRUE(needsLibraryLike(module, drawing)) << drawing;
}

TEST(Launcher, WithoutItsModuleSaysSoOnOneLineAndFails)
{
    TempDir dir;
    auto program = dir.path() / fs::path(ZENTROVA_PROGRAM).filename();
    fs::copy_file(ZENTROVA_PROGRAM, program);
    auto run = runProgram(program, { "--headless", "--dry-run" }, baseEnvironment(), "/dev/null", dir.path());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(occurrences(run.err, "\n"), 1u) << run.err;
    EXPECT_NE(run.err.find(program.filename().string() + ".so"), std::string::npos) << run.err;
}

// A display that cannot be reached: the launcher opens no window and the app, loaded without one,
// tries once more and runs the commands of standard input headless; only a person at a terminal
// is told that there is no window.
TEST(Launcher, AWindowThatCannotOpenIsReportedOnceByTheApp)
{
    TempDir dir;
    auto script = dir.path() / "script.txt";
    writeFileBytes(script, "tree " + (dir.path() / "tree.json").string() + "\nquit\n");
    auto environment = baseEnvironment();
    // As in the window tests under the sanitizers: SDL's X11 and D-Bus back ends keep one-time
    // buffers that LeakSanitizer cannot tell apart from leaks, so this run's leaks go unchecked.
    std::erase_if(environment, [](const std::string& variable) { return variable.starts_with("ASAN_OPTIONS="); });
    environment.push_back("ASAN_OPTIONS=detect_leaks=0");
    environment.push_back("DISPLAY=:" + std::to_string(60000 + getpid() % 5000));
    environment.push_back("SDL_VIDEODRIVER=x11");
    auto run = runProgram(ZENTROVA_PROGRAM, { "--dry-run", "--root", dir.path().string() }, environment, script, dir.path());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(fs::exists(dir.path() / "tree.json"));
}

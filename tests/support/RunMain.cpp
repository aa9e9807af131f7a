#include "tests/support/RunMain.h"

#include "platform/host/UIApplicationMain.h"

#include <gtest/gtest.h>

MainResult runMain(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), "Zentrova");
    std::vector<char*> argv;
    for (auto& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    int status = UIApplicationMain(int(arguments.size()), argv.data(), "Zentrova3Application", "Zentrova3Application");
    auto out = testing::internal::GetCapturedStdout();
    auto err = testing::internal::GetCapturedStderr();
    return { status, out, err };
}

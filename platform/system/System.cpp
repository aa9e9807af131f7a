#include "platform/system/System.h"

#include <iostream>
#include <mutex>

namespace {

std::mutex& currentMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::shared_ptr<System> makeDefaultSystem()
{
    return std::make_shared<DryRunSystem>(std::cout);
}

// Created on first use rather than at static initialisation, so that std::cout is certainly
// ready and no other translation unit's initialisation order matters.
std::shared_ptr<System>& installedSystem()
{
    static std::shared_ptr<System> installed = makeDefaultSystem();
    return installed;
}

} // namespace

System& System::current()
{
    std::lock_guard lock(currentMutex());
    return *installedSystem();
}

std::shared_ptr<System> System::setCurrent(std::shared_ptr<System> system)
{
    // Installing nothing falls back to the dry-run printer: there must always be an
    // implementation in force, and the safe one is the one that reaches nothing.
    if (!system)
        system = makeDefaultSystem();
    std::lock_guard lock(currentMutex());
    auto& installed = installedSystem();
    auto previous = std::move(installed);
    installed = std::move(system);
    return previous;
}

#include "power/PowerAction.h"

#include "platform/system/System.h"

namespace {

constexpr std::array<std::string_view, 1> kRebootCommands { "kill 1" };
constexpr std::array<std::string_view, 1> kShutdownCommands { "halt" };
constexpr std::array<std::string_view, 1> kRespringCommands { "killall -9 SpringBoard" };
constexpr std::array<std::string_view, 2> kSafeModeCommands {
    "touch /var/mobile/Library/Preferences/com.belvon.mobilesubstrate.dat",
    "killall SpringBoard",
};
constexpr std::array<std::string_view, 1> kNoSubstrateCommands { "killall -SEGV SpringBoard" };
constexpr std::array<std::string_view, 1> kRefreshCacheCommands { "uicache" };

constexpr std::array<PowerAction, 6> kCatalogue { {
    { 1, "rebootButton", "rebootButtonPressed", "Reboot",
        "This will REBOOT your system.  Not recommended for tethered jailbreakers!  Continue?",
        RootIdentity::TakeRoot, kRebootCommands },
    { 2, "shutdownButton", "shutdownButtonPressed", "Shut Down",
        "This will SHUTDOWN your system.  Not recommended for tethered jailbreakers!  Continue?",
        RootIdentity::TakeRoot, kShutdownCommands },
    { 3, "respringButton", "respringButtonPressed", "Respring",
        "This will Respring your system.  This will kill all processes!  Continue?",
        RootIdentity::Keep, kRespringCommands },
    { 4, "safemodeButton", "safemodeButtonPressed", "Safe Mode",
        "This will put your system into Safemode.  This will kill all processes!  Continue?",
        RootIdentity::Keep, kSafeModeCommands },
    { 5, "noSubstrateButton", "noSubstrateButtonPressed", "Non-MobileSubstrate Mode",
        "Using this in Safemode will put it into Non-MobileSubstrate Mode.\tAny other mode will put it into "
        "Safemode This will kill all processes!\n\nContinue?",
        RootIdentity::Keep, kNoSubstrateCommands },
    { 6, "minispringButton", "minispringButtonPressed", "Refresh Cache",
        "This refreshes the SpringBoard so you can see your new apps without respringing.  This will "
        "temporarily freeze your Home Screen (Exit this app after this is complete)!\n\nContinue?",
        RootIdentity::Keep, kRefreshCacheCommands },
} };

} // namespace

std::span<const PowerAction, 6> powerActions()
{
    return kCatalogue;
}

const PowerAction* powerActionWithTag(NSInteger tag)
{
    for (auto& action : kCatalogue) {
        if (action.tag == tag)
            return &action;
    }
    return nullptr;
}

void executePowerAction(const PowerAction& action, System& system)
{
    if (action.rootIdentity == RootIdentity::TakeRoot) {
        system.setuid(0);
        system.setgid(0);
    }
    for (auto line : action.commands)
        system.system(std::string(line));
}

#include "power/PowerPolicy.h"

std::optional<ConfirmationRequest> pressPowerAction(const PowerAction& action, bool alertsEnabled, System& system)
{
    if (alertsEnabled) {
        return ConfirmationRequest { kConfirmationTitle, action.message, kConfirmationCancelTitle,
            kConfirmationOtherTitle, action.tag };
    }
    executePowerAction(action, system);
    return std::nullopt;
}

void answerPowerConfirmation(const std::function<NSInteger()>& readTag, NSInteger buttonIndex, System& system)
{
    for (auto& action : powerActions()) {
        if (readTag() == action.tag && buttonIndex == kConfirmIndex)
            executePowerAction(action, system);
    }
}

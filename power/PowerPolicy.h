#pragma once

#include "power/PowerAction.h"

#include <functional>
#include <optional>

class System;

// What a confirmation alert must show for one action.
struct ConfirmationRequest {
    std::string_view title;
    std::string_view message;
    std::string_view cancelButtonTitle;
    std::string_view otherButtonTitle;
    NSInteger tag;
};

// A press with alerts on asks for confirmation and executes nothing; with alerts off (or never
// set) it executes the action at once and returns none.
std::optional<ConfirmationRequest> pressPowerAction(const PowerAction& action, bool alertsEnabled, System& system);

// Answers a confirmation. For each tag N from 1 to 6 the alert's tag is read afresh, and the
// action N runs when the tag is N and the tapped button is "Yes" (index 1).
void answerPowerConfirmation(const std::function<NSInteger()>& readTag, NSInteger buttonIndex, System& system);

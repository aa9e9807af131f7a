#pragma once

#include "platform/foundation/NSObjCRuntime.h"

#include <array>
#include <span>
#include <string_view>

class System;

enum class RootIdentity {
    Keep,
    TakeRoot,
};

// One of the six fixed power actions. The tag identifies it and is also the tag of its
// confirmation alert, which is how an answer finds its action again.
struct PowerAction {
    NSInteger tag;
    std::string_view buttonField;
    std::string_view pressHandler;
    std::string_view title;
    std::string_view message;
    RootIdentity rootIdentity;
    std::span<const std::string_view> commands;
};

inline constexpr std::string_view kConfirmationTitle = "Are you sure?";
inline constexpr std::string_view kConfirmationCancelTitle = "No";
inline constexpr std::string_view kConfirmationOtherTitle = "Yes";
inline constexpr NSInteger kConfirmIndex = 1;

// The catalogue in tag order, which is also the order of the buttons from top to bottom.
std::span<const PowerAction, 6> powerActions();
// The action with this tag, or null for a tag outside 1 to 6.
const PowerAction* powerActionWithTag(NSInteger tag);

// Takes the root identity where the action needs it, then hands each command line to the shell in
// order. Each line finishes before the next starts; no result is looked at.
void executePowerAction(const PowerAction& action, System& system);

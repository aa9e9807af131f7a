#pragma once

// Which of the two programs this build is. Fixed when building; nothing decides it at run time.
enum class BuildProfile {
    Main,
    Legacy,
};

#if ZENTROVA_LEGACY
inline constexpr BuildProfile kBuildProfile = BuildProfile::Legacy;
#else
inline constexpr BuildProfile kBuildProfile = BuildProfile::Main;
#endif

inline constexpr bool isLegacyBuild() { return kBuildProfile == BuildProfile::Legacy; }

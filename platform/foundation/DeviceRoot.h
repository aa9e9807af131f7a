#pragma once

#include <string>
#include <string_view>

// The app's fixed absolute paths (its bundle, its preferences) resolve under a device root, the way
// a simulator gives an app a file system of its own. The root is "/" unless the host sets another.
// Shell command lines are never rewritten by it.
void setDeviceRoot(std::string root);
const std::string& deviceRoot();
// "/Applications/Zentrova.app/CHANGELOG.txt" under root "/tmp/r" is
// "/tmp/r/Applications/Zentrova.app/CHANGELOG.txt"; a relative path is left alone.
std::string pathUnderDeviceRoot(std::string_view absolutePath);

// The application's bundle identifier, which names its preferences file. The build sets it in one
// place, for this and for the bundle's Info.plist.
inline constexpr std::string_view kBundleIdentifier = ZENTROVA_BUNDLE_IDENTIFIER;

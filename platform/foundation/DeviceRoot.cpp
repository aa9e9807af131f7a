#include "platform/foundation/DeviceRoot.h"

namespace {

std::string& rootStorage()
{
    static std::string root = "/";
    return root;
}

} // namespace

void setDeviceRoot(std::string root)
{
    if (root.empty())
        root = "/";
    rootStorage() = std::move(root);
}

const std::string& deviceRoot()
{
    return rootStorage();
}

std::string pathUnderDeviceRoot(std::string_view absolutePath)
{
    if (absolutePath.empty() || absolutePath.front() != '/')
        return std::string(absolutePath);
    std::string root = deviceRoot();
    while (root.size() > 1 && root.back() == '/')
        root.pop_back();
    if (root == "/")
        return std::string(absolutePath);
    return root + std::string(absolutePath);
}

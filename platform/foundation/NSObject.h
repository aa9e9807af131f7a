#pragma once

#include <memory>
#include <string_view>

// The root of the reference-counted platform objects. Objects are made by T::create(...) and held
// by std::shared_ptr; weakSelf() lets observers and completions refer to an object without
// keeping it alive.
class NSObject : public std::enable_shared_from_this<NSObject> {
public:
    virtual ~NSObject() = default;

    NSObject(const NSObject&) = delete;
    NSObject& operator=(const NSObject&) = delete;

    // The class name as the platform reports it; used by the tree dump and the class registry.
    virtual const char* className() const { return "NSObject"; }
    // Whether the object answers a message, named by its selector ("setAttributedText:"). Only
    // the messages callers ask about are listed.
    virtual bool respondsToSelector(std::string_view selector) const { return false; }

    template<typename T = NSObject>
    std::shared_ptr<T> retainSelf()
    {
        return std::static_pointer_cast<T>(shared_from_this());
    }
    template<typename T = NSObject>
    std::weak_ptr<T> weakSelf()
    {
        return std::static_pointer_cast<T>(shared_from_this());
    }

protected:
    NSObject() = default;
};

#define ZENTROVA_CLASS_NAME(Name) \
    const char* className() const override { return #Name; }

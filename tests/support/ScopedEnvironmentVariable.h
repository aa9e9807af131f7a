#pragma once

#include <optional>
#include <string>

// Sets or removes one variable of this process's environment and puts back what was there before
// when it goes out of scope, so that no test leaks its environment into the next.
class ScopedEnvironmentVariable {
public:
    // A value of none removes the variable.
    ScopedEnvironmentVariable(std::string name, std::optional<std::string> value);
    ~ScopedEnvironmentVariable();

    ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
    ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;

private:
    static void apply(const std::string& name, const std::optional<std::string>& value);

    std::string _name;
    std::optional<std::string> _previous;
};

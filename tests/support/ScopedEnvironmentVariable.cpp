#include "tests/support/ScopedEnvironmentVariable.h"

#include <cstdlib>

ScopedEnvironmentVariable::ScopedEnvironmentVariable(std::string name, std::optional<std::string> value)
    : _name(std::move(name))
{
    if (auto* previous = std::getenv(_name.c_str()))
        _previous = previous;
    apply(_name, value);
}

ScopedEnvironmentVariable::~ScopedEnvironmentVariable()
{
    apply(_name, _previous);
}

void ScopedEnvironmentVariable::apply(const std::string& name, const std::optional<std::string>& value)
{
    if (value)
        setenv(name.c_str(), value->c_str(), 1);
    else
        unsetenv(name.c_str());
}

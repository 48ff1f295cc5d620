// Setting an environment variable for a while: the old value (or its absence) comes back afterwards.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace corvina::test {

class ScopedEnv {
public:
    // Sets the variable to value, or unsets it when value is null, until the object goes.
    ScopedEnv(const char* name, const char* value) : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        Set(m_name, value);
    }
    ScopedEnv(const char* name, const std::string& value) : ScopedEnv(name, value.c_str()) {}
    ~ScopedEnv() { Set(m_name, m_old ? m_old->c_str() : nullptr); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    static void Set(const char* name, const char* value)
    {
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }

    const char* m_name;
    std::optional<std::string> m_old;
};

} // namespace corvina::test

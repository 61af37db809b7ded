#pragma once

#include <QByteArray>
#include <QList>
#include <optional>
#include <utility>

namespace plumark::test {

// Sets or unsets environment variables for one scope and restores them after.
class ScopedEnvironment
{
public:
    ScopedEnvironment() = default;
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;
    ~ScopedEnvironment()
    {
        for (auto it = m_saved.crbegin(); it != m_saved.crend(); ++it) {
            if (it->second)
                qputenv(it->first.constData(), *it->second);
            else
                qunsetenv(it->first.constData());
        }
    }

    void set(const char* name, const QByteArray& value)
    {
        save(name);
        qputenv(name, value);
    }
    void unset(const char* name)
    {
        save(name);
        qunsetenv(name);
    }

private:
    void save(const char* name)
    {
        m_saved.append({name, qEnvironmentVariableIsSet(name)
                                  ? std::optional<QByteArray>(qgetenv(name))
                                  : std::nullopt});
    }

    QList<std::pair<QByteArray, std::optional<QByteArray>>> m_saved;
};

} // namespace plumark::test

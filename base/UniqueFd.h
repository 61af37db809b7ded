#pragma once

#include <unistd.h>
#include <utility>

namespace plumark {

// A file descriptor, closed when its owner ends or takes another.
class UniqueFd
{
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : m_fd(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept
    {
        if (this != &other)
            reset(std::exchange(other.m_fd, -1));
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    // Closes the descriptor held, if any, and holds fd instead; returns what
    // the close returned (0 when none was held).
    int reset(int fd = -1)
    {
        const int result = m_fd >= 0 ? ::close(m_fd) : 0;
        m_fd = fd;
        return result;
    }

private:
    int m_fd = -1;
};

} // namespace plumark

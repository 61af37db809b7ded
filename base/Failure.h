#pragma once

#include <QString>
#include <exception>

namespace plumark {

// An unexpected failure of a step. Guarded procedures catch it, report its
// description and go on with their next step.
class Failure : public std::exception
{
public:
    explicit Failure(QString description)
        : m_description(std::move(description)), m_utf8(m_description.toUtf8())
    {
    }
    const QString& description() const { return m_description; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_description;
    QByteArray m_utf8;
};

} // namespace plumark

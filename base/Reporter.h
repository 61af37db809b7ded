#pragma once

#include <QString>

namespace plumark {

enum class MessageIcon { None, Warning };

// What a long task needs of whoever watches it: a way to tell them something,
// and a chance for their events to be handled between steps. The window is
// one; the batch mode's console is another.
class Reporter
{
public:
    virtual ~Reporter() = default;

    // A plain message with OK; the title defaults to the application title.
    virtual void message(const QString& text, const QString& title = {},
                         MessageIcon icon = MessageIcon::None) = 0;
    // Lets pending events be handled.
    virtual void yield() = 0;
};

} // namespace plumark

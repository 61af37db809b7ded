#pragma once

#include "base/Reporter.h"

namespace plumark {

// Where the batch mode reports: messages and error reports go to standard
// error; a yield handles pending events.
class ConsoleReporter : public Reporter
{
public:
    void message(const QString& text, const QString& title = {},
                 MessageIcon icon = MessageIcon::None) override;
    void yield() override;
};

} // namespace plumark

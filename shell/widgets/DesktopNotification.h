#pragma once

#include <QString>

namespace plumark {

// Tells the desktop's notification service that a run has ended: "Done." with
// how many files were converted and how many not, from appName. The call is
// sent without waiting for an answer; without a session bus or a service
// nothing happens.
void notifyRunEnded(const QString& appName, int converted, int notConverted);

} // namespace plumark

#pragma once

#include <QByteArray>
#include <QString>
#include <sys/types.h>

namespace plumark {

// What tells a running process apart from a later one given the same id:
// "<id> <start time in clock ticks since boot> <boot id>". Empty when no such
// process exists.
QByteArray processRecord(pid_t pid);

// Records this process as the owner of a tools folder (in its file "owner"),
// so that a later start can tell whether the folder's run has ended.
// Does nothing when the file cannot be written.
void recordOwner(const QString& folder);

// Removes the tools folders ("plumark-" and six characters) in the temporary
// folder whose recorded owner has ended: the folders that runs cut short (a
// window closed mid-run) left behind. A folder of another user, a link, a
// folder without a readable record (one being made) and one whose owner still
// runs are left alone. Never fails; returns how many folders were removed.
int RemoveEndedToolsFolders();

} // namespace plumark

#pragma once

#include "base/Window.h"
#include "filelist/FileList.h"
#include "filelist/FolderListing.h"

#include <QString>
#include <QStringList>

namespace plumark {

// The folder browser, opened on initialFolder; empty when cancelled.
QString BrowseForFolder(Window& window, const QString& title, const QString& initialFolder);

// Appends every acceptable file of folder and of all its acceptable
// sub-folders, folder by folder in breadth-first order, through
// CollapseBackslashes. pattern is a wildcard such as "*.m4a" or "*.*".
// names says whether files and folders whose names are no valid text are
// taken (the batch) or left out (the window).
void AddFolderTree(FileList& list, Reporter& reporter, const QString& folder,
                   const QString& pattern, UndecodableNames names = UndecodableNames::Skip);

// Extends folders (paths ending in a separator) in place with every acceptable
// descendant, breadth first. Guarded: failures are reported through window.
void GetSubDirectories2016(QStringList& folders, bool recurse, Reporter& reporter);

// Names (without folder) of one folder's files that match pattern and can be
// opened, in listing order (by name ignoring case, ties by exact name).
QStringList GetFilesInFolder(const QString& folder, const QString& pattern);

// The input gate (AdmittedInput) admits the path: a regular file
// (after links) that opens for reading without blocking, on a file system
// that holds data (not /proc, /sys and their kind).
bool FileCanBeOpened(const QString& path);

// A character below 32, from 127 to 159, or "?". (A name whose bytes are
// not valid in the file-name encoding is refused by the scan itself, unless
// the batch asks for such names.)
bool HasOddCharacters(const QString& name);

} // namespace plumark

#pragma once

#include "base/Window.h"
#include "filelist/FileList.h"

#include <QString>
#include <functional>

namespace plumark {

class MainForm;

// The key of the stored sample list.
inline constexpr auto SampleKey = "larkspur";

// Adds each byte of the text's UTF-8 form to the byte of the key at the same
// position (the key repeating), wrapping above 255; the result holds one
// character per byte (Latin-1). Yields once per byte.
QString ScrambleText(const QString& text, const QString& key,
                     const std::function<void()>& yield = {});
// The reverse of ScrambleText: the bytes are read from the Latin-1 text and
// decoded as UTF-8.
QString UnscrambleText(const QString& text, const QString& key,
                       const std::function<void()>& yield = {});

// The sample folder: "Samples" in the program folder.
QString sampleFolder(const QString& programFolder);

// Lists the sample folder and stores the full paths of its files as the
// scrambled setting "SampleList".
void BuildSampleList(const QString& programFolder, Reporter& reporter);
// The same for the main window's program folder.
void BuildSampleList(MainForm& form);

// Appends each stored sample that still exists and is not yet a row, then
// offers to open the sample folder.
void LoadSampleFiles(FileList& list, Window& window, const QString& programFolder);

} // namespace plumark

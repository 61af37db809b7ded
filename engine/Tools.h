#pragma once

#include <QString>
#include <functional>

namespace plumark {

// The temporary folder: TEMP, else TMPDIR, else /tmp, read at each use.
QString TemporaryFolder();

// "64" on a 64-bit system, else "32".
QString ProcessorAddressWidth();

// The tools the run needs, by the ids of the original's resource table:
// 101 and 102 the converter (32- and 64-bit builds), 103 the probe.
enum ResourceId { ConverterResource32 = 101, ConverterResource64 = 102, ProbeResource = 103 };

// The converter build for an address width as ProcessorAddressWidth gives it.
inline int converterResourceFor(const QString& addressWidth)
{
    return addressWidth == QLatin1String("64") ? ConverterResource64 : ConverterResource32;
}

// The installed program that stands for a resource item: PLUMARK_FFMPEG or
// PLUMARK_EXIFTOOL when set, else ffmpeg or exiftool found on PATH. Raises
// Failure naming the Debian package to install when there is none.
QString LoadResource(int id);

// Puts the tool at path as a symbolic link (a copy where links are refused),
// unless a file of that name exists already, which is then used as it is.
// Yields first. Raises Failure when the file cannot be made.
void WriteBytesToFile(const QString& toolPath, const QString& path,
                      const std::function<void()>& yield = {});

// A fresh private folder (owner-only) inside the temporary folder that holds
// the two tool files of one run, "ffmpeg.exe" and "exiftool.exe", and the
// record of the process that owns it (see RemoveEndedToolsFolders). Removed
// with everything in it by remove() or at destruction.
class ToolsFolder
{
public:
    // Raises Failure when the folder cannot be made.
    ToolsFolder();
    ~ToolsFolder();
    ToolsFolder(const ToolsFolder&) = delete;
    ToolsFolder& operator=(const ToolsFolder&) = delete;

    const QString& path() const { return m_path; }
    QString converterPath() const; // <folder>/ffmpeg.exe
    QString probePath() const;     // <folder>/exiftool.exe
    // A file inside the folder, for per-file logs.
    QString filePath(const QString& name) const;
    void remove();

private:
    QString m_path;
};

} // namespace plumark

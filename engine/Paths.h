#pragma once

#include <QString>
#include <functional>

namespace plumark {

// Path routines take their separator from here. The native style is "/";
// the Windows style ("\") is kept so that behaviour written for backslash
// paths can be checked as written.
enum class PathStyle { Native, Windows };

inline QChar separator(PathStyle style = PathStyle::Native)
{
    return style == PathStyle::Windows ? QLatin1Char('\\') : QLatin1Char('/');
}

// The entry's status can be read (after following links).
bool FileExists(const QString& path);
// The entry's status can be read and it is a folder.
bool FolderExists(const QString& path);
// Everything after the last separator; the whole text when there is none.
QString FileNameOf(const QString& path, PathStyle style = PathStyle::Native);
// Everything up to and including the last separator; empty when there is none.
QString ParentFolder(const QString& path, PathStyle style = PathStyle::Native);
// The name without its last dot and what follows, when that dot is not the
// first character.
QString StripExtension(const QString& name);
// Tidies a joined path: every pair of adjacent separators becomes one, in a
// single left-to-right pass. In the Windows style a path that begins with
// separators keeps exactly two of them (a network share); natively a leading
// "/" is never doubled.
QString CollapseBackslashes(const QString& path, PathStyle style = PathStyle::Native);

// Removes the file; where refused, makes it writable and tries again.
// Raises Failure when the file is still there.
void ForceDeleteFile(const QString& path);
// Removes the file if it can; never raises. Yields first.
void DeleteFileQuietly(const QString& path, const std::function<void()>& yield = {});

// File names are bytes; most are UTF-8, some (from old disks or archives) are
// not. pathFromNative keeps every byte: each one that is not part of valid
// UTF-8 becomes the lone low surrogate U+DC80..U+DCFF (U+DC00 plus the byte),
// which no valid text holds, and nativePath turns it back into that byte.

// The path as bytes for system calls.
QByteArray nativePath(const QString& path);
// The path as text, every byte kept.
QString pathFromNative(const QByteArray& bytes);
// One character of such a text that stands for a byte of no valid UTF-8.
bool isRawByte(const QString& text, qsizetype at);
// The text for display on a terminal: each byte kept that way written as
// "\xE9", and the bytes of every character that would steer the terminal or
// the text's layout written the same way (escape sequences, other control
// characters, bidirectional controls such as U+202E, the line and paragraph
// separators U+2028 and U+2029); line feeds, carriage returns and tabs stay.
QString printablePath(const QString& path);
// The path for display on one line of a report: as printablePath, and line
// feeds, carriage returns and tabs written the same way ("\x0A"), so that a
// line break in a name cannot pass for a line of its own.
QString printableName(const QString& path);

} // namespace plumark

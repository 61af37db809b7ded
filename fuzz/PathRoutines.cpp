// Path routines meet every path a user can produce. Each property is checked
// in both separator styles, on the bytes read as UTF-8 and as raw UTF-16.
#include "engine/ConversionRules.h"
#include "engine/Paths.h"
#include "fuzz/FuzzInput.h"

using namespace plumark;
using plumark::fuzz::require;

namespace {

// The documented collapse, written by runs: a run of n separators becomes
// ceil(n / 2) of them; in the Windows style a leading run becomes exactly two.
QString collapseByRuns(const QString& path, PathStyle style)
{
    const QChar sep = separator(style);
    QString out;
    qsizetype i = 0;
    while (i < path.size()) {
        if (path[i] != sep) {
            out.append(path[i++]);
            continue;
        }
        qsizetype run = 0;
        while (i + run < path.size() && path[i + run] == sep)
            ++run;
        const qsizetype kept = (style == PathStyle::Windows && i == 0) ? 2 : (run + 1) / 2;
        out.append(QString(kept, sep));
        i += run;
    }
    return out;
}

void checkPath(const QString& path, PathStyle style)
{
    const QChar sep = separator(style);
    const QString name = FileNameOf(path, style);
    const QString parent = ParentFolder(path, style);
    require(parent + name == path, "parent folder and file name make the path", path);
    require(!name.contains(sep), "a file name holds no separator", name);
    require(parent.isEmpty() || parent.endsWith(sep), "a parent folder ends in a separator",
            parent);

    const QString base = StripExtension(name);
    require(name.startsWith(base), "the base name begins the name", base);
    if (base.size() < name.size()) {
        const QString extension = name.mid(base.size());
        require(!base.isEmpty() && extension.startsWith(QLatin1Char('.')) &&
                    extension.lastIndexOf(QLatin1Char('.')) == 0,
                "only the last dot, not a leading one, is removed", name);
    } else {
        require(name.lastIndexOf(QLatin1Char('.')) <= 0, "a name with a later dot loses it", name);
    }

    const QString collapsed = CollapseBackslashes(path, style);
    require(collapsed == collapseByRuns(path, style), "separators collapse pair by pair",
            path + QStringLiteral(" -> ") + collapsed);

    // Every output keeps the input's base name and lands in the folder asked.
    for (const QString& folder : {QString(), parent, QStringLiteral("out") + sep + sep}) {
        const QString output = outputPathFor(path, folder, style);
        require(FileNameOf(output, style) == base + QStringLiteral(".ac3"),
                "the output is the base name with .ac3", output);
        const QString folderUsed = folder.isEmpty() ? parent : folder;
        require(ParentFolder(output, style) == CollapseBackslashes(folderUsed + sep, style),
                "the output lands in the folder asked", output);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    for (const QString& path : {plumark::fuzz::textPieces(data, size, 1).constFirst(),
                                plumark::fuzz::rawUtf16(data, size)}) {
        checkPath(path, PathStyle::Native);
        checkPath(path, PathStyle::Windows);
    }
    return 0;
}

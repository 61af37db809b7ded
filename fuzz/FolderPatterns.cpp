// The folder scan matches names against a pattern the user types, and sorts
// what it lists. The matcher must agree with a plain dynamic-programming
// reading of "*" and "?", and the listing order must be a strict weak order
// (std::sort relies on it).
#include "filelist/FolderListing.h"
#include "fuzz/FuzzInput.h"

#include <vector>

using namespace plumark;
using plumark::fuzz::require;

namespace {

// matches[i][j]: the first i characters of the name match the first j of the
// pattern.
bool referenceMatch(const QString& name, const QString& pattern)
{
    if (pattern == QLatin1String("*.*"))
        return true;
    const qsizetype n = name.size();
    const qsizetype m = pattern.size();
    std::vector<std::vector<char>> matches(n + 1, std::vector<char>(m + 1, 0));
    matches[0][0] = 1;
    for (qsizetype j = 1; j <= m; ++j)
        matches[0][j] = matches[0][j - 1] && pattern[j - 1] == QLatin1Char('*');
    for (qsizetype i = 1; i <= n; ++i)
        for (qsizetype j = 1; j <= m; ++j) {
            const QChar p = pattern[j - 1];
            if (p == QLatin1Char('*'))
                matches[i][j] = matches[i][j - 1] || matches[i - 1][j];
            else
                matches[i][j] =
                    matches[i - 1][j - 1] && (p == QLatin1Char('?') || p == name[i - 1] ||
                                              p.toCaseFolded() == name[i - 1].toCaseFolded());
        }
    return matches[n][m];
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 512)
        return 0;
    const QStringList pieces = plumark::fuzz::textPieces(data, size, 3);
    const QString& name = pieces[0];
    const QString& pattern = pieces[1];
    require(matchesPattern(name, pattern) == referenceMatch(name, pattern),
            "the pattern matches as written", name + QStringLiteral(" ~ ") + pattern);
    require(matchesPattern(name, QStringLiteral("*")), "\"*\" matches every name", name);

    const QString& a = pieces[0];
    const QString& b = pieces[1];
    const QString& c = pieces[2];
    require(!listsBefore(a, a), "no name lists before itself", a);
    require(!(listsBefore(a, b) && listsBefore(b, a)), "two names list one way", a + b);
    if (listsBefore(a, b) && listsBefore(b, c))
        require(listsBefore(a, c), "listing order is transitive", a + b + c);
    if (a != b)
        require(listsBefore(a, b) || listsBefore(b, a), "different names are ordered", a + b);
    return 0;
}

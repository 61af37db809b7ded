// The batch mode's arguments come from the user's shell. Any argument list is
// either refused with a one-line reason or read into valid options that read
// back the same from their own canonical form.
#include "batch/BatchOptions.h"
#include "fuzz/FuzzInput.h"

#include <QRegularExpression>

using namespace plumark;
using plumark::fuzz::require;

namespace {

bool isRateToken(const QString& token)
{
    static const QRegularExpression form(QStringLiteral("^[0-9]+(\\.[0-9]+)?k$"));
    return form.match(token).hasMatch();
}

// The arguments that ask for exactly these options.
QStringList canonicalArguments(const BatchOptions& options)
{
    QStringList arguments{QStringLiteral("--ext"),      options.extension,
                          QStringLiteral("--fallback"), options.fallbackToken,
                          QStringLiteral("--jobs"),     QString::number(options.jobs)};
    if (!options.rateToken.isEmpty())
        arguments << QStringLiteral("--bitrate") << options.rateToken;
    if (!options.outputFolder.isEmpty())
        arguments << QStringLiteral("--output-dir=") + options.outputFolder;
    if (!options.filesFrom.isEmpty())
        arguments << QStringLiteral("--files-from") << options.filesFrom;
    const std::pair<bool, const char*> flags[] = {
        {options.keepTree, "--keep-tree"}, {options.skipExisting, "--skip-existing"},
        {options.dryRun, "--dry-run"},     {options.nullSeparated, "--null"},
        {options.help, "--help"},          {options.version, "--version"}};
    for (const auto& [on, name] : flags)
        if (on)
            arguments << QString::fromLatin1(name);
    arguments << QStringLiteral("--") << options.paths;
    return arguments;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QStringList arguments = plumark::fuzz::textPieces(data, size, 6);
    while (!arguments.isEmpty() && arguments.constLast().isEmpty())
        arguments.removeLast();

    const ParsedOptions parsed = parseBatchOptions(arguments, 2);
    if (!parsed.error.isEmpty()) {
        require(!parsed.error.contains(QLatin1Char('\n')) ||
                    arguments.join(QString()).contains(QLatin1Char('\n')),
                "a usage error is one line unless an argument holds a line break", parsed.error);
        return 0;
    }
    const BatchOptions& options = parsed.options;
    require(options.jobs >= 1, "at least one job");
    require(options.rateToken.isEmpty() || isRateToken(options.rateToken), "a rate token",
            options.rateToken);
    require(isRateToken(options.fallbackToken), "a fallback rate token", options.fallbackToken);
    require(!options.extension.isEmpty() && !options.extension.contains(QLatin1Char('/')),
            "an extension is one name", options.extension);
    require(!options.paths.isEmpty() || !options.filesFrom.isEmpty() || options.help ||
                options.version,
            "something to convert");
    require(!options.nullSeparated || !options.filesFrom.isEmpty(), "--null only with a list");

    // The paths are arguments of the list, in their order.
    qsizetype at = 0;
    for (const QString& path : options.paths) {
        while (at < arguments.size() && arguments[at] != path)
            ++at;
        require(at < arguments.size(), "every path is one of the arguments, in order", path);
        ++at;
    }

    const ParsedOptions again = parseBatchOptions(canonicalArguments(options), 7);
    require(again.error.isEmpty(), "the canonical form is accepted", again.error);
    const BatchOptions& back = again.options;
    require(back.paths == options.paths && back.extension == options.extension &&
                back.rateToken == options.rateToken &&
                back.fallbackToken == options.fallbackToken &&
                back.outputFolder == options.outputFolder && back.jobs == options.jobs &&
                back.keepTree == options.keepTree && back.skipExisting == options.skipExisting &&
                back.dryRun == options.dryRun && back.filesFrom == options.filesFrom &&
                back.nullSeparated == options.nullSeparated && back.help == options.help &&
                back.version == options.version,
            "the options read back from their canonical form",
            canonicalArguments(options).join(QLatin1Char('|')));

    for (const QString& argument : arguments) {
        const QString token = rateTokenFromText(argument);
        require(token.isEmpty() || (isRateToken(token) && rateTokenFromText(token) == token),
                "a rate token reads as itself", token);
    }
    return 0;
}

#include "batch/BatchOptions.h"

#include "engine/BitRate.h"

#include <QRegularExpression>

namespace plumark {

QString rateTokenFromText(const QString& text)
{
    static const QRegularExpression form(QStringLiteral("^([0-9]+(?:\\.[0-9]+)?)[kK]?$"));
    const QRegularExpressionMatch match = form.match(getBitRate(text));
    if (!match.hasMatch() || match.captured(1).toDouble() <= 0)
        return {};
    return match.captured(1) + QLatin1Char('k');
}

namespace {

QString quotedArgument(const QString& argument)
{
    return QLatin1Char('\'') + argument + QLatin1Char('\'');
}

} // namespace

ParsedOptions parseBatchOptions(const QStringList& arguments, int defaultJobs)
{
    ParsedOptions parsed;
    BatchOptions& options = parsed.options;
    options.jobs = std::max(1, defaultJobs);
    bool optionsEnded = false;

    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (optionsEnded || !argument.startsWith(QLatin1Char('-')) ||
            argument == QLatin1String("-")) {
            options.paths.append(argument);
            continue;
        }
        if (argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }

        // "--name value" or "--name=value".
        QString name = argument;
        std::optional<QString> inlineValue;
        if (const qsizetype equals = argument.indexOf(QLatin1Char('=')); equals > 0) {
            name = argument.left(equals);
            inlineValue = argument.mid(equals + 1);
        }
        const auto value = [&]() -> std::optional<QString> {
            if (inlineValue)
                return inlineValue;
            if (i + 1 < arguments.size())
                return arguments[++i];
            parsed.error = QStringLiteral("option %1 needs a value").arg(name);
            return std::nullopt;
        };
        const auto flag = [&](bool& target) {
            if (inlineValue) {
                parsed.error = QStringLiteral("option %1 takes no value").arg(name);
                return;
            }
            target = true;
        };
        const auto invalid = [&](const QString& text) {
            parsed.error =
                QStringLiteral("invalid value %1 for %2").arg(quotedArgument(text), name);
        };

        if (name == QLatin1String("--help") || name == QLatin1String("-h")) {
            flag(options.help);
        } else if (name == QLatin1String("--version")) {
            flag(options.version);
        } else if (name == QLatin1String("--keep-tree")) {
            flag(options.keepTree);
        } else if (name == QLatin1String("--skip-existing")) {
            flag(options.skipExisting);
        } else if (name == QLatin1String("--dry-run")) {
            flag(options.dryRun);
        } else if (name == QLatin1String("--bitrate") || name == QLatin1String("--fallback")) {
            if (const auto text = value()) {
                const QString token = rateTokenFromText(*text);
                if (token.isEmpty())
                    invalid(*text);
                else
                    (name == QLatin1String("--bitrate") ? options.rateToken
                                                        : options.fallbackToken) = token;
            }
        } else if (name == QLatin1String("--output-dir")) {
            if (const auto text = value()) {
                if (text->isEmpty())
                    invalid(*text);
                options.outputFolder = *text;
            }
        } else if (name == QLatin1String("--ext")) {
            if (const auto text = value()) {
                if (text->isEmpty() || text->contains(QLatin1Char('/')))
                    invalid(*text);
                options.extension = *text;
            }
        } else if (name == QLatin1String("--jobs") || name == QLatin1String("-j")) {
            if (const auto text = value()) {
                bool ok = false;
                const int jobs = text->toInt(&ok);
                if (!ok || jobs < 1)
                    invalid(*text);
                options.jobs = jobs;
            }
        } else if (name == QLatin1String("--engine")) {
            if (const auto text = value()) {
                if (*text == QLatin1String("builtin"))
                    options.engine = BatchOptions::Engine::Builtin;
                else if (*text == QLatin1String("ffmpeg"))
                    options.engine = BatchOptions::Engine::Ffmpeg;
                else
                    invalid(*text);
            }
        } else {
            parsed.error = QStringLiteral("unknown option %1").arg(quotedArgument(argument));
        }
        if (!parsed.error.isEmpty())
            return parsed;
    }

    if (options.paths.isEmpty() && !options.help && !options.version)
        parsed.error = QStringLiteral("no file or folder given");
    return parsed;
}

QString batchUsage()
{
    return QStringLiteral(
        "Usage: plumark convert [OPTIONS] PATH...\n"
        "Converts M4A files to AC3 without a window. A PATH that is a file is taken as it\n"
        "is; a folder is scanned with all its sub-folders for files of one extension.\n"
        "\n"
        "Options:\n"
        "  --ext EXT          extension looked for in folders (default m4a; * for every file)\n"
        "  --bitrate RATE     one constant rate for all files: 192, 192k or \"192 kbps\"\n"
        "                     (default: the same rate as each input)\n"
        "  --fallback RATE    rate used when an input's own rate is unknown (default 128k)\n"
        "  --output-dir DIR   put every result into DIR (default: beside its source)\n"
        "  --keep-tree        with --output-dir, repeat the scanned sub-folders under DIR\n"
        "  --jobs N, -j N     convert N files at once (default: the number of processor cores)\n"
        "  --skip-existing    skip a file whose result already exists as a readable AC3\n"
        "  --engine NAME      builtin: convert in worker processes with FFmpeg's libraries\n"
        "                     (default); ffmpeg: run the ffmpeg program for each file\n"
        "  --dry-run          print each converter command line and convert nothing\n"
        "  --help             show this text\n"
        "  --version          show the version\n"
        "\n"
        "Exit status: 0 when every file was converted or skipped, 1 when any was not,\n"
        "2 for a usage error, 130 when stopped by Ctrl+C.\n");
}

} // namespace plumark

#include "batch/BatchOptions.h"

#include "batch/ContainerCommand.h"

#include "engine/BitRate.h"

#include <QCommandLineParser>
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

// Every option of "plumark convert", in the order --help lists them.
struct Options
{
    QCommandLineOption ext{QStringLiteral("ext"),
                           QStringLiteral("Extension looked for in folders (default m4a; * for "
                                          "every file)."),
                           QStringLiteral("EXT")};
    QCommandLineOption bitrate{QStringLiteral("bitrate"),
                               QStringLiteral("One constant rate for all files: 192, 192k or "
                                              "\"192 kbps\" (default: the same rate as each "
                                              "input)."),
                               QStringLiteral("RATE")};
    QCommandLineOption fallback{
        QStringLiteral("fallback"),
        QStringLiteral("Rate used when an input's own rate is unknown (default 128k)."),
        QStringLiteral("RATE")};
    QCommandLineOption outputDir{QStringLiteral("output-dir"),
                                 QStringLiteral("Put every result into DIR, made when missing "
                                                "(default: beside its source)."),
                                 QStringLiteral("DIR")};
    QCommandLineOption keepTree{
        QStringLiteral("keep-tree"),
        QStringLiteral("With --output-dir, repeat the scanned sub-folders under DIR.")};
    QCommandLineOption filesFrom{QStringLiteral("files-from"),
                                 QStringLiteral("Also convert the files named in FILE, one a "
                                                "line (- for standard input)."),
                                 QStringLiteral("FILE")};
    QCommandLineOption null{{QStringLiteral("0"), QStringLiteral("null")},
                            QStringLiteral("The names in --files-from end with a NUL character "
                                           "(as find -print0 writes them).")};
    QCommandLineOption jobs{{QStringLiteral("j"), QStringLiteral("jobs")},
                            QStringLiteral("Use N processor cores at once: one for each file "
                                           "converted, the rest for the last files (default: "
                                           "the number of processor cores)."),
                            QStringLiteral("N")};
    QCommandLineOption skipExisting{
        QStringLiteral("skip-existing"),
        QStringLiteral("Skip a file whose result already exists whole.")};
    QCommandLineOption engine{
        QStringLiteral("engine"),
        QStringLiteral("builtin: convert in worker processes with FFmpeg's libraries "
                       "(default); ffmpeg: run the ffmpeg program for each file."),
        QStringLiteral("NAME")};
    QCommandLineOption container{
        QStringLiteral("container"),
        QStringLiteral("ac3: a bare AC3 stream, NAME.ac3 (default); mka: AC3 in Matroska with "
                       "the input's tags and cover art, NAME.mka; mp4: the same in MP4, "
                       "NAME.mp4."),
        QStringLiteral("NAME")};
    QCommandLineOption dryRun{
        QStringLiteral("dry-run"),
        QStringLiteral("Print each converter command line and convert nothing.")};
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Show this text.")};
    QCommandLineOption version{QStringLiteral("version"), QStringLiteral("Show the version.")};

    // A parser that knows every option; its help lists them in this order.
    void addTo(QCommandLineParser& parser) const
    {
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
        parser.addOptions({ext, bitrate, fallback, outputDir, keepTree, filesFrom, null, jobs,
                           skipExisting, engine, container, dryRun, help, version});
        parser.addPositionalArgument(
            QStringLiteral("PATH"),
            QStringLiteral("A file, converted as it is, or a folder, scanned with all its "
                           "sub-folders for files of one extension."),
            QStringLiteral("PATH..."));
    }
};

QString quotedArgument(const QString& argument)
{
    return QLatin1Char('\'') + argument + QLatin1Char('\'');
}

QString invalidValue(const QString& text, const QString& name)
{
    return QStringLiteral("invalid value %1 for --%2").arg(quotedArgument(text), name);
}

} // namespace

ParsedOptions parseBatchOptions(const QStringList& arguments, int defaultJobs)
{
    ParsedOptions parsed;
    BatchOptions& options = parsed.options;
    options.jobs = std::max(1, defaultJobs);

    const Options known;
    QCommandLineParser parser;
    known.addTo(parser);
    // The parser takes its first argument as the program's name.
    if (!parser.parse(QStringList{QStringLiteral("convert")} + arguments)) {
        parsed.error = parser.errorText();
        return parsed;
    }
    // An option given twice counts with its last value, as in most tools.
    const auto last = [&](const QCommandLineOption& option) {
        return parser.values(option).constLast();
    };
    const auto rate = [&](const QCommandLineOption& option, QString& token) {
        if (!parser.isSet(option))
            return;
        token = rateTokenFromText(last(option));
        if (token.isEmpty())
            parsed.error = invalidValue(last(option), option.names().constLast());
    };

    options.paths = parser.positionalArguments();
    options.help = parser.isSet(known.help);
    options.version = parser.isSet(known.version);
    options.keepTree = parser.isSet(known.keepTree);
    options.skipExisting = parser.isSet(known.skipExisting);
    options.dryRun = parser.isSet(known.dryRun);
    options.nullSeparated = parser.isSet(known.null);
    rate(known.bitrate, options.rateToken);
    rate(known.fallback, options.fallbackToken);
    if (parser.isSet(known.ext)) {
        options.extension = last(known.ext);
        if (options.extension.isEmpty() || options.extension.contains(QLatin1Char('/')))
            parsed.error = invalidValue(options.extension, QStringLiteral("ext"));
    }
    if (parser.isSet(known.outputDir)) {
        options.outputFolder = last(known.outputDir);
        if (options.outputFolder.isEmpty())
            parsed.error = invalidValue(options.outputFolder, QStringLiteral("output-dir"));
    }
    if (parser.isSet(known.filesFrom)) {
        options.filesFrom = last(known.filesFrom);
        if (options.filesFrom.isEmpty())
            parsed.error = invalidValue(options.filesFrom, QStringLiteral("files-from"));
    }
    if (parser.isSet(known.jobs)) {
        bool ok = false;
        options.jobs = last(known.jobs).toInt(&ok);
        if (!ok || options.jobs < 1)
            parsed.error = invalidValue(last(known.jobs), QStringLiteral("jobs"));
    }
    if (parser.isSet(known.engine)) {
        const QString name = last(known.engine);
        if (name == QLatin1String("builtin"))
            options.converter = BatchOptions::Converter::Builtin;
        else if (name == QLatin1String("ffmpeg"))
            options.converter = BatchOptions::Converter::Ffmpeg;
        else
            parsed.error = invalidValue(name, QStringLiteral("engine"));
    }
    if (parser.isSet(known.container) &&
        !transcode::containerFromExtension(last(known.container), &options.container))
        parsed.error = invalidValue(last(known.container), QStringLiteral("container"));
    if (!parsed.error.isEmpty())
        return parsed;

    if (options.converter == BatchOptions::Converter::Ffmpeg &&
        !converterWritesWhole(options.container))
        parsed.error = QStringLiteral("--engine ffmpeg cannot attach the cover art to a Matroska "
                                      "result (the ffmpeg program attaches files only); use "
                                      "--engine builtin or --container mp4");
    else if (options.nullSeparated && options.filesFrom.isEmpty())
        parsed.error = QStringLiteral("option --null needs --files-from");
    else if (options.paths.isEmpty() && options.filesFrom.isEmpty() && !options.help &&
             !options.version)
        parsed.error = QStringLiteral("no file or folder given; see plumark convert --help");
    return parsed;
}

QString batchUsage()
{
    const Options known;
    QCommandLineParser parser;
    known.addTo(parser);
    parser.setApplicationDescription(QStringLiteral("Converts M4A files to AC3 without a window."));
    // The parser's usage line names the program alone; the mode belongs in it.
    QString text = parser.helpText();
    text.replace(QRegularExpression(QStringLiteral("^Usage: [^\n]*")),
                 QStringLiteral("Usage: plumark convert [OPTIONS] PATH...\n"
                                "       plumark convert [OPTIONS] --files-from FILE [PATH...]"));
    return text +
           QStringLiteral("\nExit status: 0 when every file was converted or skipped, 1 when any "
                          "was not,\n2 for a usage error, 130 when stopped by Ctrl+C.\n");
}

} // namespace plumark

// Whatever the paths and rate hold, the child's argument vector carries each
// unchanged in its place (down to the bytes of a name that is no valid text)
// and the shown text is the documented concatenation.
#include "engine/CommandLine.h"
#include "engine/Paths.h"
#include "fuzz/FuzzInput.h"

#include <QFile>

using namespace plumark;
using plumark::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QStringList pieces = plumark::fuzz::textPieces(data, size, 4);
    const QString& converter = pieces[0];
    const QString& input = pieces[1];
    const QString& rate = pieces[2];
    const QString& output = pieces[3];

    const CommandLine command = converterCommand(converter, input, rate, output);
    const QStringList expected{converter,
                               QStringLiteral("-i"),
                               input,
                               QStringLiteral("-ab"),
                               rate,
                               QStringLiteral("-acodec"),
                               QStringLiteral("ac3"),
                               output};
    require(command.argv == expected, "each argument stands unchanged in its place",
            command.argv.join(QLatin1Char('|')));
    const QString text = QLatin1Char('"') + converter + QStringLiteral("\" -i \"") + input +
                         QStringLiteral("\" -ab ") + rate + QStringLiteral(" -acodec ac3 \"") +
                         output + QLatin1Char('"');
    require(command.text == text, "the text is the documented concatenation", command.text);
    // The bytes handed to the system are the path's own file-name encoding.
    require(nativePath(command.argv[2]) == QFile::encodeName(input),
            "the input reaches the child in its file-name encoding");
    // A name read from the system, valid UTF-8 or not, reaches the child as
    // the same bytes.
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString named = pathFromNative(bytes);
    require(nativePath(converterCommand(converter, named, rate, output).argv[2]) == bytes,
            "a name's bytes reach the child unchanged", printablePath(named));

    const CommandLine probe = probeCommand(converter, input);
    require(probe.argv == QStringList{converter, input}, "the probe gets the input alone");
    require(probe.text ==
                QLatin1Char('"') + converter + QStringLiteral("\" \"") + input + QLatin1Char('"'),
            "the probe's text is the documented concatenation", probe.text);
    return 0;
}

// The sample list is stored scrambled in a settings file a user can edit.
// Any text must come back from the pair unchanged (a NUL as U+FFFD, since a
// code 0 returns as 255), and any stored text must unscramble without harm.
#include "fuzz/FuzzInput.h"
#include "samples/SampleFiles.h"

using namespace plumark;
using plumark::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QStringList pieces = plumark::fuzz::textPieces(data, size, 2);
    const QString& text = pieces[0];
    const QString fixedKey = QString::fromLatin1(SampleKey);
    int yields = 0;
    const auto countYield = [&] { ++yields; };

    for (const QString& key : {fixedKey, pieces[1]}) {
        if (key.toUtf8().isEmpty())
            continue;
        yields = 0;
        const QString stored = ScrambleText(text, key, countYield);
        const qsizetype bytes = text.toUtf8().size();
        require(stored.size() == bytes && yields == bytes,
                "one stored character and one yield per byte");
        require(QString::fromLatin1(stored.toLatin1()) == stored, "the stored form is Latin-1");
        if (!key.contains(QChar(0)))
            require(!stored.contains(QChar(0)), "the stored form holds no NUL", stored);

        QString expected = text;
        expected.replace(QChar(0), QChar(QChar::ReplacementCharacter));
        require(UnscrambleText(stored, key) == expected, "the pair gives the text back", text);
    }

    // A hand-edited stored value: the result is text, never a failure.
    const QString edited = UnscrambleText(text, fixedKey);
    require(edited.size() <= text.toLatin1().size(), "no more characters than stored bytes");
    return 0;
}

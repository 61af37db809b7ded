#include "TestForm.h"

#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

using namespace plumark;
using namespace plumark::test;

using ResultSafety = WindowTest;

// Results saved to one folder that holds a listed ".ac3", with two inputs of
// one name from two album folders: no listed file and no earlier result is
// replaced, and every row left out is named with its reason.
TEST_F(ResultSafety, NoResultReplacesAListedFileOrAnEarlierResult)
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("out"));
    const QString listedAc3 = out + QStringLiteral("/song.ac3");
    const QString song = dir.filePath(QStringLiteral("music/song.m4a"));
    const QString firstIntro = dir.filePath(QStringLiteral("Album A/01 Intro.m4a"));
    const QString secondIntro = dir.filePath(QStringLiteral("Album B/01 Intro.m4a"));
    makeM4a(song);
    makeM4a(firstIntro, 1.0);
    makeM4a(secondIntro, 2.0);
    QDir().mkpath(out);
    ASSERT_TRUE(QFile::copy(song, listedAc3));
    const QByteArray before = fileHash(listedAc3);

    form.form().Form_Load();
    for (const QString& row : {song, listedAc3, firstIntro, secondIntro})
        form.list().append(row);
    control<QRadioButton>("Option2")->click();
    control<QComboBox>("Combo1")->setCurrentText(QStringLiteral("192 kbps"));
    control<QRadioButton>("Option3")->click();
    control<QLineEdit>("Text1")->setText(out);
    form.show();
    control<QPushButton>("PushButton2")->click();

    EXPECT_EQ(fileHash(listedAc3), before);
    EXPECT_EQ(QDir(out).entryList(QDir::Files),
              (QStringList{QStringLiteral("01 Intro.ac3"), QStringLiteral("song.ac3")}));
    EXPECT_NEAR(probeMedia(out + QStringLiteral("/01 Intro.ac3")).duration, 1.0, 0.1);
    EXPECT_EQ(probeMedia(out + QStringLiteral("/01 Intro.ac3")).bitRate, 192000);
    ASSERT_EQ(form.messages.size(), 1);
    EXPECT_EQ(
        form.messages[0],
        QStringLiteral("Done.\r\r3 files could not be converted:\r") +
            QStringLiteral("\r%1\r    The result would replace the listed file \"%2\".")
                .arg(song, listedAc3) +
            QStringLiteral("\r%1\r    The result would replace the input file.").arg(listedAc3) +
            QStringLiteral("\r%1\r    The result would replace the result of \"%2\".")
                .arg(secondIntro, firstIntro));
}

namespace {

// The window with a hook into each yield of a run, where a user's keys land.
class RetypingForm : public TestForm
{
public:
    void yield() override
    {
        if (onYield)
            onYield();
        TestForm::yield();
    }
    std::function<void()> onYield;
};

void pressKey(QWidget* target, int key, Qt::KeyboardModifiers modifiers, const QString& text = {})
{
    for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent event(type, key, modifiers, text);
        QApplication::sendEvent(target, &event);
    }
}

} // namespace

// While the second of four files converts, the user selects the folder text
// and types a new folder one key at a time; on the way it names "/", "/tmp"
// and more. Only once the user presses Return or leaves the box does the new
// folder take the rows: no result goes anywhere else.
TEST_F(ResultSafety, AFolderRetypedDuringARunTakesRowsOnlyOnceFinished)
{
    const struct
    {
        const char* name;
        std::function<void(RetypingForm&, QLineEdit*)> finish;
    } cases[] = {
        {"Return", [](RetypingForm&, QLineEdit* text) { pressKey(text, Qt::Key_Return, {}); }},
        {"LeavingTheBox",
         [](RetypingForm& window, QLineEdit*) {
             window.findChild<QWidget*>(QStringLiteral("PushButton7"))->setFocus();
         }},
    };
    for (const auto& c : cases) {
        QTemporaryDir dir;
        const QString out = dir.filePath(QStringLiteral("out"));
        const QString chosen = dir.filePath(QStringLiteral("new"));
        QDir().mkpath(out);
        QDir().mkpath(chosen);
        QStringList inputs;
        for (const char* name : {"a", "b", "c", "d"}) {
            inputs.append(dir.filePath(QStringLiteral("music/%1.m4a").arg(QLatin1String(name))));
            makeM4a(inputs.last(), 0.5);
        }
        RetypingForm window;
        window.form().setProgramFolder(programFolder.path());
        window.form().randomSource = [] { return 0.0; };
        window.form().Form_Load();
        for (const QString& row : std::as_const(inputs))
            window.list().append(row);
        window.findChild<QRadioButton*>(QStringLiteral("Option2"))->click();
        window.findChild<QRadioButton*>(QStringLiteral("Option3"))->click();
        auto* text = window.findChild<QLineEdit*>(QStringLiteral("Text1"));
        text->setText(out + QLatin1Char('/'));
        window.show();
        activate(&window);
        window.onYield = [&, typed = false, done = false]() mutable {
            const QString bar = window.progressBar().text();
            if (!typed && bar == QLatin1String("Processing: b.m4a")) {
                typed = true;
                text->setFocus();
                pressKey(text, Qt::Key_A, Qt::ControlModifier);
                for (const QChar key : chosen)
                    pressKey(text, key.toUpper().unicode(), Qt::NoModifier, QString(key));
                ASSERT_EQ(text->text(), chosen);
            } else if (!done && bar == QLatin1String("Processing: c.m4a")) {
                done = true;
                c.finish(window, text);
            }
        };
        window.findChild<QPushButton*>(QStringLiteral("PushButton2"))->click();

        EXPECT_EQ(window.messages, QStringList{QStringLiteral("Done.")}) << c.name;
        const auto results = [](const QString& folder) {
            return QDir(folder).entryList({QStringLiteral("*.ac3")}, QDir::Files);
        };
        EXPECT_EQ(results(out), (QStringList{QStringLiteral("a.ac3"), QStringLiteral("b.ac3")}))
            << c.name;
        EXPECT_EQ(results(chosen), (QStringList{QStringLiteral("c.ac3"), QStringLiteral("d.ac3")}))
            << c.name;
        // Every folder the text named on its way holds none of them.
        for (qsizetype n = 1; n < chosen.size(); ++n) {
            const QString passed = chosen.left(n);
            if (!QFileInfo(passed).isDir())
                continue;
            for (const char* name : {"a.ac3", "b.ac3", "c.ac3", "d.ac3"})
                EXPECT_FALSE(QFileInfo::exists(QDir(passed).filePath(QLatin1String(name))))
                    << c.name << " " << passed.toStdString();
        }
    }
}

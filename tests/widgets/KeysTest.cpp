#include "TestForm.h"
#include "support/QStringPrinter.h"
#include "support/ScopedEnvironment.h"

#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <gtest/gtest.h>

using namespace plumark;
using namespace plumark::test;

namespace {

class Keys : public WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        form.form().Form_Load();
        form.show();
        activate(&form);
    }

    // A key pressed and released where the keyboard's focus is.
    static void key(int code, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                    const QString& text = {}, bool autoRepeat = false)
    {
        for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QKeyEvent event(type, code, modifiers, text, autoRepeat);
            QApplication::sendEvent(QApplication::focusWidget(), &event);
        }
    }
};

} // namespace

// Return and keypad Enter press the focused push button once, also when held;
// on the list, the folder text or the rate box they press none.
TEST_F(Keys, ReturnPressesTheFocusedButton)
{
    QMap<QString, int> clicks;
    for (QPushButton* button : form.findChildren<QPushButton*>())
        QObject::connect(button, &QPushButton::clicked, &form,
                         [&clicks, button] { ++clicks[button->objectName()]; });
    control<QRadioButton>("Option2")->click();

    struct Case
    {
        const char* focus;
        int key;
        Qt::KeyboardModifiers modifiers;
        bool autoRepeat;
        int clicks; // of the focused control, or of all buttons
    };
    const Case cases[] = {
        {"PushButton1", Qt::Key_Return, Qt::NoModifier, false, 1},
        {"PushButton2", Qt::Key_Return, Qt::NoModifier, false, 1},
        {"PushButton3", Qt::Key_Enter, Qt::KeypadModifier, false, 1},
        {"PushButton4", Qt::Key_Return, Qt::NoModifier, false, 1},
        {"PushButton5", Qt::Key_Enter, Qt::KeypadModifier, false, 1},
        {"PushButton7", Qt::Key_Return, Qt::NoModifier, false, 1},
        {"PushButton4", Qt::Key_Return, Qt::NoModifier, true, 0},
        {"ListView1", Qt::Key_Return, Qt::NoModifier, false, 0},
        {"Text1", Qt::Key_Return, Qt::NoModifier, false, 0},
        {"Combo1", Qt::Key_Enter, Qt::KeypadModifier, false, 0},
    };
    for (const Case& c : cases) {
        clicks.clear();
        QWidget* focused = control(c.focus);
        focused->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), focused) << c.focus;
        key(c.key, c.modifiers, QStringLiteral("\r"), c.autoRepeat);
        int pressed = 0;
        for (const int n : std::as_const(clicks))
            pressed += n;
        EXPECT_EQ(pressed, c.clicks) << c.focus;
        EXPECT_EQ(clicks.value(QLatin1String(c.focus)), c.clicks) << c.focus;
    }
    // "Start Converting" ran with the empty list.
    EXPECT_EQ(form.messages.value(0), QStringLiteral("No files added."));
}

// Backspace and typing in the folder text while a run converts: rows go on
// into the last folder that the text named, none is refused.
TEST_F(Keys, TypingInTheFolderTextDuringARunKeepsConverting)
{
    QTemporaryDir work;
    const QString out = work.filePath(QStringLiteral("out"));
    QDir().mkpath(out);
    ScopedEnvironment environment;
    // A slow converter, so that the keys land in the middle of the run.
    environment.set("PLUMARK_FFMPEG",
                    writeScript(work.filePath(QStringLiteral("ffmpeg")),
                                QStringLiteral("sleep 0.3\nprintf ac3 > \"$7\"\n"))
                        .toUtf8());
    const QStringList names = {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"),
                               QStringLiteral("d")};
    for (const QString& name : names) {
        const QString input = work.filePath(QStringLiteral("in/%1.m4a").arg(name));
        writeFile(input, "m4a");
        form.list().append(input);
    }
    control<QRadioButton>("Option2")->click();
    auto* text = control<QLineEdit>("Text1");
    text->setText(out + QLatin1Char('/'));

    // While "b" converts: Backspace three times (".../o"), then "th" typed
    // (".../oth", no folder either).
    auto* keys = new QTimer(&form);
    QStringList seen;
    QObject::connect(keys, &QTimer::timeout, &form, [&, keys] {
        if (form.progressBar().text() != QLatin1String("Processing: b.m4a"))
            return;
        keys->stop();
        text->setFocus();
        for (int i = 0; i < 3; ++i)
            key(Qt::Key_Backspace);
        seen.append(text->text());
        key(Qt::Key_T, Qt::NoModifier, QStringLiteral("t"));
        key(Qt::Key_H, Qt::NoModifier, QStringLiteral("h"));
        seen.append(text->text());
    });
    keys->start(20);
    control<QPushButton>("PushButton2")->click();

    EXPECT_EQ(seen, (QStringList{work.filePath(QStringLiteral("o")),
                                 work.filePath(QStringLiteral("oth"))}));
    EXPECT_EQ(form.messages, QStringList{QStringLiteral("Done.")});
    EXPECT_EQ(QDir(out).entryList(QDir::Files),
              (QStringList{QStringLiteral("a.ac3"), QStringLiteral("b.ac3"),
                           QStringLiteral("c.ac3"), QStringLiteral("d.ac3")}));
    EXPECT_FALSE(form.form().isConverting);
}

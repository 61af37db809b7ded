#include "TestForm.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QProgressBar>
#include <gtest/gtest.h>

using namespace plumark;
using namespace plumark::test;

namespace {

QString accessibleText(QObject* object, QAccessible::Text kind)
{
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(object);
    return face ? face->text(kind) : QStringLiteral("<no interface>");
}

class AccessibleNames : public WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        form.form().Form_Load();
    }
};

TEST_F(AccessibleNames, EveryControlHasTheNameAScreenReaderReads)
{
    const struct
    {
        const char* control;
        const char* name;
    } cases[] = {
        {"ListView1", "M4A files"},
        {"PushButton1", "Add M4A File(s)"},
        {"PushButton3", "Add All M4A File(s) In Folder"},
        {"PushButton4", "Clear List"},
        {"PushButton5", "Load Sample/Example Files"},
        {"Frame2", "Bit Rate Of Output File"},
        {"Option1", "Use same bit rate as input file (most efficient)"},
        {"Option2", "Use this constant bit rate for all files:"},
        {"Frame1", "Save Option"},
        {"Option3", "Save results to this folder:"},
        {"Frame3", "Output folder"},
        {"Text1", "Output folder"},
        {"PushButton7", "Choose the output folder"},
        {"Option4", "Save results in folder of original file"},
        {"PushButton2", "Start Converting"},
        {"ProgressBar1", "Progress"},
    };
    for (const auto& c : cases) {
        QWidget* widget = control(c.control);
        ASSERT_NE(widget, nullptr) << c.control;
        EXPECT_EQ(accessibleText(widget, QAccessible::Name), QLatin1String(c.name)) << c.control;
    }
}

TEST_F(AccessibleNames, NoControlIsNameless)
{
    for (QWidget* widget : form.findChildren<QWidget*>()) {
        const bool control =
            qobject_cast<QAbstractButton*>(widget) || qobject_cast<QComboBox*>(widget) ||
            qobject_cast<QLineEdit*>(widget) || qobject_cast<QAbstractItemView*>(widget) ||
            qobject_cast<QProgressBar*>(widget) || qobject_cast<QGroupBox*>(widget);
        // The rate box's pop-up and the list's header are parts of them.
        QWidget* parent = widget->parentWidget();
        if (!control || qobject_cast<QComboBox*>(parent) ||
            qobject_cast<QAbstractItemView*>(parent) || widget->window() != &form)
            continue;
        EXPECT_FALSE(accessibleText(widget, QAccessible::Name).isEmpty())
            << widget->metaObject()->className() << " " << widget->objectName().toStdString();
    }
}

// On Linux Qt names a drop-down box by its chosen entry and labels it by its
// frame, as Orca reads it: "Bit Rate Of Output File, combo box, 128 kbps".
TEST_F(AccessibleNames, TheRateBoxIsLabelledByItsFrame)
{
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(control("Combo1"));
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(face->text(QAccessible::Value), QStringLiteral("128 kbps"));
    QStringList labels;
    for (const auto& [label, relation] : face->relations(QAccessible::Label))
        labels.append(label->text(QAccessible::Name));
    EXPECT_EQ(labels, QStringList{QStringLiteral("Bit Rate Of Output File")});
}

TEST_F(AccessibleNames, TheWindowIsAWindowNamedByItsCaption)
{
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&form);
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(face->role(), QAccessible::Window);
    EXPECT_EQ(face->text(QAccessible::Name), QStringLiteral("Plumark"));
}

TEST_F(AccessibleNames, TheProgressBarDescribesWhatItShows)
{
    QWidget* bar = control("ProgressBar1");
    EXPECT_EQ(accessibleText(bar, QAccessible::Description), QStringLiteral("Progress Bar"));
    form.progressBar().setText(QStringLiteral("Processing: song.m4a"));
    EXPECT_EQ(accessibleText(bar, QAccessible::Name), QStringLiteral("Progress"));
    EXPECT_EQ(accessibleText(bar, QAccessible::Description),
              QStringLiteral("Processing: song.m4a"));
}

TEST_F(AccessibleNames, TheListDescribesHowToUseIt)
{
    EXPECT_EQ(accessibleText(control("ListView1"), QAccessible::Description),
              QStringLiteral("Drag and drop files here. Double-click item to remove it. Move | "
                             "line to right and out of window to reveal full names."));
}

} // namespace

#include "TestForm.h"
#include "support/QStringPrinter.h"

#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTreeView>
#include <gtest/gtest.h>

using namespace plumark;
using namespace plumark::test;

namespace {

// The window with its real dialogs; a test answers them as a user would.
class Dialogs : public ::testing::Test
{
protected:
    void SetUp() override
    {
        writeFile(programFolder.filePath(QStringLiteral("Samples/Sample 1.m4a")), "sample");
        window.form().setProgramFolder(programFolder.path());
        window.form().randomSource = [] { return 0.0; };
        window.form().Form_Load();
        window.show();
    }

    // Opens "Add M4A File(s)", types text as the file name (in the dialog's
    // folder) and confirms it with the Return key or the "Open" button.
    void addTyped(const QString& folder, const QString& text, bool pressReturn)
    {
        whenDialogShows([&](QWidget* shown) {
            auto* dialog = qobject_cast<QFileDialog*>(shown);
            if (!dialog) {
                ADD_FAILURE() << "not the file dialog: " << shown->windowTitle().toStdString();
                static_cast<QDialog*>(shown)->reject();
                return;
            }
            EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFiles);
            EXPECT_EQ(dialog->findChild<QListView*>(QStringLiteral("listView"))->selectionMode(),
                      QAbstractItemView::ExtendedSelection);
            dialog->setDirectory(folder);
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            activate(dialog);
            name->setFocus();
            EXPECT_TRUE(name->hasFocus());
            name->setText(text);
            QPushButton* open =
                dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Open);
            EXPECT_TRUE(open->isEnabled()) << text.toStdString();
            // A dialog that refuses a name with a message box of its own
            // would wait for it here.
            QTimer::singleShot(1000, dialog, [dialog] {
                for (QMessageBox* box : dialog->findChildren<QMessageBox*>())
                    box->reject();
            });
            if (pressReturn) {
                QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
                QApplication::sendEvent(name, &press);
            } else {
                open->click();
            }
            if (dialog->isVisible()) {
                ADD_FAILURE() << "the dialog refused " << text.toStdString();
                dialog->reject();
            }
        });
        window.findChild<QPushButton*>(QStringLiteral("PushButton1"))->click();
    }

    // Opens "Add M4A File(s)", clicks the named files in the dialog's folder
    // with the mouse (Ctrl held from the second on) and confirms with "Open",
    // or with a double-click on a single file.
    void addPicked(const QString& folder, const QStringList& names, bool doubleClick)
    {
        whenDialogShows([&](QWidget* shown) {
            auto* dialog = static_cast<QFileDialog*>(shown);
            dialog->setDirectory(folder);
            activate(dialog);
            // The dialog shows either its list or its detail view.
            QAbstractItemView* view = dialog->findChild<QListView*>(QStringLiteral("listView"));
            if (!view->isVisible())
                view = dialog->findChild<QTreeView*>(QStringLiteral("treeView"));
            const auto rowOf = [view](const QString& name) {
                const QModelIndexList found =
                    view->model()->match(view->model()->index(0, 0, view->rootIndex()),
                                         Qt::DisplayRole, name, 1, Qt::MatchExactly);
                return found.value(0);
            };
            // The dialog lists a folder in the background.
            QElapsedTimer listing;
            listing.start();
            while (!rowOf(names.last()).isValid() && listing.elapsed() < 5000)
                QApplication::processEvents(QEventLoop::AllEvents, 20);
            view->setFocus();
            for (qsizetype i = 0; i < names.size(); ++i) {
                const QModelIndex row = rowOf(names[i]);
                ASSERT_TRUE(row.isValid()) << names[i].toStdString();
                const QPoint at = view->visualRect(row).center();
                const Qt::KeyboardModifiers held = i ? Qt::ControlModifier : Qt::NoModifier;
                QList<QEvent::Type> events = {QEvent::MouseButtonPress, QEvent::MouseButtonRelease};
                if (doubleClick)
                    events << QEvent::MouseButtonDblClick << QEvent::MouseButtonRelease;
                for (const QEvent::Type type : events) {
                    QMouseEvent event(
                        type, at, view->viewport()->mapToGlobal(at), Qt::LeftButton,
                        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, held);
                    QApplication::sendEvent(view->viewport(), &event);
                }
            }
            if (dialog->isVisible())
                dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Open)->click();
            if (dialog->isVisible()) {
                ADD_FAILURE() << "the dialog refused " << names.join(u',').toStdString();
                dialog->reject();
            }
        });
        window.findChild<QPushButton*>(QStringLiteral("PushButton1"))->click();
    }

    QTemporaryDir programFolder;
    QTemporaryDir files;
    Form1 window;
};

} // namespace

// Files picked with the mouse are added as their own paths, whatever double
// quotes their names hold.
TEST_F(Dialogs, PickedFilesAreAddedAsTheirOwnPaths)
{
    const QString folder = files.path();
    const QString quoted = QStringLiteral("say \"hi\".m4a");
    const QString leading = QStringLiteral("\"odd\" one.m4a");
    const QString plain = QStringLiteral("plain.m4a");
    for (const QString& name : {quoted, leading, plain})
        writeFile(folder + QLatin1Char('/') + name, "m4a");
    struct Case
    {
        QStringList picked;
        bool doubleClick;
    };
    const Case cases[] = {
        {{quoted}, false},
        {{quoted}, true},
        {{leading}, false},
        {{quoted, plain}, false},
        {{plain, leading, quoted}, false},
    };
    for (const Case& c : cases) {
        window.list().clear();
        addPicked(folder, c.picked, c.doubleClick);
        QStringList rows;
        for (const QString& name : c.picked)
            rows.append(folder + QLatin1Char('/') + name);
        EXPECT_EQ(window.list().texts(), rows) << c.picked.join(u',').toStdString();
    }
}

// Typed names are added as typed. Names with double quotes of their own, typed
// as the dialog writes picked ones, are read as the existing files they name.
TEST_F(Dialogs, TypedNamesAreAddedAsTyped)
{
    const QString folder = files.path();
    writeFile(folder + QStringLiteral("/a/one.m4a"), "1");
    writeFile(folder + QStringLiteral("/b/two.m4a"), "2");
    writeFile(folder + QStringLiteral("/a/notes.txt"), "3");
    const QString q = folder + QStringLiteral("/q");
    for (const char* name :
         {"say \"hi\".m4a", "plain.m4a", "\"odd\" one.m4a", "say", "a\" \"b.m4a", "a", "b.m4a"})
        writeFile(q + QLatin1Char('/') + QString::fromUtf8(name), "m4a");
    struct Case
    {
        QString in; // the dialog's folder
        QString typed;
        QStringList rows;
    };
    const Case cases[] = {
        // a name of no existing file, and one that the filter hides
        {folder, QStringLiteral("new.m4a"), {folder + QStringLiteral("/new.m4a")}},
        {folder + QStringLiteral("/a"),
         QStringLiteral("notes.txt"),
         {folder + QStringLiteral("/a/notes.txt")}},
        // several names, one missing, from the dialog's folder
        {folder + QStringLiteral("/a"),
         QStringLiteral("\"one.m4a\" \"gone.mp3\""),
         {folder + QStringLiteral("/a/one.m4a"), folder + QStringLiteral("/a/gone.mp3")}},
        // full paths from two folders keep their own folders
        {folder,
         QStringLiteral("\"%1/a/one.m4a\" \"%1/b/two.m4a\"").arg(folder),
         {folder + QStringLiteral("/a/one.m4a"), folder + QStringLiteral("/b/two.m4a")}},
        {folder + QStringLiteral("/b"),
         QStringLiteral("\"/srv/elsewhere.m4a\" \"two.m4a\""),
         {QStringLiteral("/srv/elsewhere.m4a"), folder + QStringLiteral("/b/two.m4a")}},
        // names holding quotes, also at their start and around a blank
        {q,
         QStringLiteral("\"say \"hi\".m4a\" \"plain.m4a\""),
         {q + QStringLiteral("/say \"hi\".m4a"), q + QStringLiteral("/plain.m4a")}},
        {q,
         QStringLiteral("\"plain.m4a\" \"\"odd\" one.m4a\" \"say \"hi\".m4a\""),
         {q + QStringLiteral("/plain.m4a"), q + QStringLiteral("/\"odd\" one.m4a"),
          q + QStringLiteral("/say \"hi\".m4a")}},
        // "a" and "b.m4a" exist, and so does one file named a" "b.m4a: the
        // first reading that names only existing files is taken
        {q,
         QStringLiteral("\"a\" \"b.m4a\" \"plain.m4a\""),
         {q + QStringLiteral("/a"), q + QStringLiteral("/b.m4a"),
          q + QStringLiteral("/plain.m4a")}},
    };
    for (const bool pressReturn : {true, false}) {
        for (const Case& c : cases) {
            window.list().clear();
            addTyped(c.in, c.typed, pressReturn);
            EXPECT_EQ(window.list().texts(), c.rows) << c.typed.toStdString();
        }
    }
}

TEST_F(Dialogs, TitlesAreExactlyTheirTexts)
{
    // The toolkit's display name would be appended to every window title.
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());
    EXPECT_EQ(window.applicationTitle(), QStringLiteral("Plumark"));

    QStringList titles;
    const auto close = [&](QWidget* dialog) {
        titles.append(dialog->windowTitle());
        if (auto* box = qobject_cast<QMessageBox*>(dialog))
            box->button(QMessageBox::Ok) ? box->button(QMessageBox::Ok)->click()
                                         : box->button(QMessageBox::No)->click();
        else
            static_cast<QDialog*>(dialog)->reject();
    };
    whenDialogShows(close);
    window.message(QStringLiteral("No files added."));
    whenDialogShows(close);
    window.message(QStringLiteral("failed"), QStringLiteral("Application Error"),
                   MessageIcon::Warning);
    whenDialogShows(close);
    window.question(QStringLiteral("Load them?"));
    whenDialogShows(close);
    window.inputBox(QStringLiteral("Enter file extension to load:"), QStringLiteral("m4a"));
    whenDialogShows(close);
    window.browseForFolder(QStringLiteral("Please select folder:"), files.path());
    whenDialogShows(close);
    window.findChild<QPushButton*>(QStringLiteral("PushButton1"))->click();

    EXPECT_EQ(titles, (QStringList{QStringLiteral("Plumark"), QStringLiteral("Application Error"),
                                   QStringLiteral("Plumark"), QStringLiteral("Plumark"),
                                   QStringLiteral("Please select folder:"),
                                   QStringLiteral("Add File(s) - Hold Ctrl to select multiple "
                                                  "files")}));
}

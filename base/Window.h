#pragma once

#include "base/Reporter.h"

#include <QString>
#include <QStringList>

namespace plumark {

// Mouse-pointer values of the main window.
enum Pointer : int { PointerDefault = 0, PointerBusy = 11, PointerHand = 99 };
// Pointer values of the list's own pointer.
enum ListPointer : int { ListPointerArrow = 1, ListPointerCustom = 99 };

// The progress bar with a text: a value 0..100 set as a real number and read
// back as a whole number.
class ProgressBar
{
public:
    virtual ~ProgressBar() = default;
    virtual int value() const = 0;
    virtual void setValue(double value) = 0;
    virtual QString text() const = 0;
    virtual void setText(const QString& text) = 0;
};

// What the file dialog is asked to show.
struct FileDialogSetup
{
    QString title;
    QString filterDescription; // "M4A File (*.m4a)"
    QString filterPattern;     // "*.m4a", matched in any letter case
    bool multiSelect = true;
};

// Raised by Window::openFileDialog when the selection does not fit the result.
class DialogBufferTooSmall : public std::exception
{
public:
    const char* what() const noexcept override { return "The selection is too large"; }
};

// Everything the window's logic reads from and writes to the main window.
// The real window implements it with widgets, tests with a fake. Rows
// themselves live in FileList; the window only shows them.
class Window : public Reporter
{
public:
    // ListView1: selection, scrolling, hit test and its own pointer. Rows are 1-based, 0 is none.
    virtual int selectedRow() const = 0;
    virtual void selectRow(int row) = 0;
    virtual void ensureRowVisible(int row) = 0;
    virtual int rowAt(int x, int y) const = 0;
    virtual void setListPointer(int value, const QString& iconFile) = 0;
    virtual void addListColumn(const QString& header) = 0;
    virtual void setListColumnWidth(int twips) = 0;

    // Option1..Option4. Selecting one clears its partner (1/2, 3/4); clearing
    // touches only itself. Neither runs a handler: the logic does that.
    virtual bool option(int n) const = 0;
    virtual void setOption(int n, bool selected) = 0;

    // Combo1. setRateText raises Failure for a text that is not an entry.
    virtual void addRateEntry(const QString& text) = 0;
    virtual QString rateText() const = 0;
    virtual void setRateText(const QString& text) = 0;
    virtual bool rateEnabled() const = 0;
    virtual void setRateEnabled(bool enabled) = 0;

    // Text1 and Frame3 (which holds Text1 and PushButton7).
    virtual QString folderText() const = 0;
    virtual void setFolderText(const QString& text) = 0;
    virtual bool folderFrameEnabled() const = 0;
    virtual void setFolderFrameEnabled(bool enabled) = 0;

    virtual ProgressBar& progressBar() = 0;

    virtual int mousePointer() const = 0;
    virtual void setMousePointer(int value) = 0;

    // Start-up: caption, icon, application title, hand pointer image, skin.
    virtual void setCaption(const QString& caption) = 0;
    virtual void setProductIcon() = 0;
    virtual void setApplicationTitle(const QString& title) = 0;
    virtual QString applicationTitle() const = 0;
    virtual void loadHandPointer(const QString& cursorFile) = 0;
    // Sets the button-face background and applies the style sheet file;
    // raises Failure when the sheet cannot be read.
    virtual void applySkin(const QString& skinFile) = 0;

    // Yes/No question titled with the application title; true for Yes.
    virtual bool question(const QString& text) = 0;
    // Text input box; an empty result when cancelled.
    virtual QString inputBox(const QString& prompt, const QString& defaultText) = 0;
    // Folder browser opened on initialFolder; empty when cancelled.
    virtual QString browseForFolder(const QString& title, const QString& initialFolder) = 0;
    // File-open dialog: empty when cancelled, one full path, or the folder
    // followed by NUL-separated names. May raise DialogBufferTooSmall.
    virtual QString openFileDialog(const FileDialogSetup& setup) = 0;
    // Opens a folder or a web address with the desktop's default handler.
    virtual void openExternally(const QString& target) = 0;

    // A run has ended with so many files converted and so many not; a window
    // the user has left tells the desktop.
    virtual void runEnded(int /*converted*/, int /*notConverted*/) {}
};

} // namespace plumark

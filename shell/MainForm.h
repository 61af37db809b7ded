#pragma once

#include "base/Window.h"
#include "filelist/FileList.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace plumark {

class ToolsFolder;

// One file that a run could not convert, and why.
struct NotConverted
{
    QString path;
    QString reason;
};

// The message that ends a run: "Done.", then how many files could not be
// converted and each of them with its reason.
QString doneMessage(const QList<NotConverted>& notConverted);

// The main window's logic (Form1): its members and every event handler, with
// no widget in it. The window (or a fake of it) is reached through Window.
// Handlers are defined beside the subsystem they belong to:
// clang-format off
//   engine/ConversionRun.cpp   PushButton2_Click
//   engine/AudioBitRate.cpp    getAudioBitRate
//   filelist/ListCommands.cpp  ListView1_DblClick, ListView1_KeyDown, PushButton4_Click
//   filelist/FileDialog.cpp    PushButton1_Click
//   filelist/FolderButton.cpp  PushButton3_Click
//   filelist/Drop.cpp          ListView1_OLEDragOver, ListView1_OLEDragDrop
//   filelist/PointerDrag.cpp   the pointer and row-drag handlers
//   shell/Options.cpp          Option1_Click .. Option4_Click, Combo1_*, Text1_*,
//                              PushButton7_Click
//   shell/StartUp.cpp          Form_Load, Form_Unload
//   samples/SampleFiles.cpp    PushButton5_Click
// clang-format on
class MainForm
{
public:
    MainForm(Window& window, FileList& list);
    ~MainForm();

    Window& window() { return m_window; }
    FileList& list() { return m_list; }

    // Start-up and end.
    void Form_Load();
    void Form_Unload();
    // Where the program's own files are (x/o.cjs, HAND-M.CUR, drag.ico, Samples/).
    QString programFolder() const;
    void setProgramFolder(const QString& folder) { m_programFolder = folder; }
    // The random draw of OpenWebSiteSometimes, 0 <= r < 1; injectable for tests.
    std::function<double()> randomSource;

    // Conversion run.
    void PushButton2_Click();
    QString getAudioBitRate(const QString& inputPath);
    bool isConverting = false;
    // The files the last run could not convert.
    const QList<NotConverted>& notConverted() const { return m_notConverted; }

    // File list.
    void ListView1_DblClick();
    void ListView1_KeyDown(int keyCode, int shift);
    void PushButton4_Click();
    void PushButton1_Click();
    void PushButton3_Click();
    // Drag over: true when the data offers local files (a drop is possible).
    bool ListView1_OLEDragOver(bool offersFiles);
    void ListView1_OLEDragDrop(const QStringList& paths);

    // Pointer and row dragging.
    void PushButton_MouseMove(); // any of the six push buttons
    void Surface_MouseMove();    // the window, Frame1..Frame3, Text1
    void ListView1_MouseDown(int button, int shift, int x, int y);
    void ListView1_MouseMove(int button, int shift, int x, int y);
    void ListView1_MouseUp(int button, int shift, int x, int y);
    void ListView1_ItemClick(int row);
    // The pointer's vertical position on the screen; injectable for tests.
    std::function<int()> cursorScreenY;
    bool buttonHeld = false;
    int dragRow = 0;  // 1-based row index, 0 none
    int hoverRow = 0; // 1-based row index, 0 none

    // Output and bit-rate options.
    void Option1_Click();
    void Option2_Click();
    void Option3_Click();
    void Option4_Click();
    void Combo1_Click();
    void Combo1_Change();
    void Text1_Change();
    // Return in Text1, or the focus leaving it: the folder text is chosen.
    void Text1_EditingFinished();
    void PushButton7_Click();

    // Sample files.
    void PushButton5_Click();

    // The folder last chosen for a scan.
    QString LastFolder;

private:
    Window& m_window;
    FileList& m_list;
    QString m_programFolder;
    // The private folder holding the tools during a run.
    std::unique_ptr<ToolsFolder> m_tools;
    QList<NotConverted> m_notConverted;
    // The folder text as the user last finished editing it (Return, leaving
    // the box, a folder picked with "..."), taken when a run starts: the
    // folder a run's rows go to, never a half-typed text.
    QString m_finishedOutputFolder;
};

} // namespace plumark

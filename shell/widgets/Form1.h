#pragma once

#include "base/Window.h"
#include "filelist/FileList.h"
#include "shell/MainForm.h"

#include <QCursor>
#include <QWidget>
#include <optional>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QStyle;

namespace plumark {

class ListView;
class ProgressBar1;

// The main window: every control at its place, each user event handed to the
// logic in MainForm. Controls carry their names as object names. The dialog
// methods are virtual so that tests can answer them without a modal box.
class Form1 : public QWidget, public Window
{
    Q_OBJECT
public:
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    MainForm& form() { return m_form; }
    FileList& list() { return m_list; }
    ListView* listView() const { return m_listView; }
    // Fits the window to its screen and places it in the middle of it.
    void centreOnScreen();

    int selectedRow() const override;
    void selectRow(int row) override;
    void ensureRowVisible(int row) override;
    int rowAt(int x, int y) const override;
    void setListPointer(int value, const QString& iconFile) override;
    void addListColumn(const QString& header) override;
    void setListColumnWidth(int twips) override;

    bool option(int n) const override;
    void setOption(int n, bool selected) override;

    void addRateEntry(const QString& text) override;
    QString rateText() const override;
    void setRateText(const QString& text) override;
    bool rateEnabled() const override;
    void setRateEnabled(bool enabled) override;

    QString folderText() const override;
    void setFolderText(const QString& text) override;
    bool folderFrameEnabled() const override;
    void setFolderFrameEnabled(bool enabled) override;

    ProgressBar& progressBar() override;

    int mousePointer() const override { return m_pointer; }
    void setMousePointer(int value) override;

    void setCaption(const QString& caption) override;
    void setProductIcon() override;
    void setApplicationTitle(const QString& title) override;
    // Kept by the window, not as the toolkit's display name, which the
    // toolkit would append to every window title.
    QString applicationTitle() const override { return m_applicationTitle; }
    void loadHandPointer(const QString& cursorFile) override;
    void applySkin(const QString& skinFile) override;

    void message(const QString& text, const QString& title = {},
                 MessageIcon icon = MessageIcon::None) override;
    bool question(const QString& text) override;
    QString inputBox(const QString& prompt, const QString& defaultText) override;
    QString browseForFolder(const QString& title, const QString& initialFolder) override;
    QString openFileDialog(const FileDialogSetup& setup) override;
    void openExternally(const QString& target) override;
    void yield() override;
    void runEnded(int converted, int notConverted) override;

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    // The window keeps its designed size where the screen's available area
    // holds it; where it does not, it takes what there is and its surface
    // scrolls.
    void fitToScreen();
    void connectEvents();
    QPushButton* makeButton(const char* name, const QString& caption, QWidget* parent);
    QRadioButton* makeOption(const char* name, const QString& caption, QWidget* parent);
    QGroupBox* makeFrame(const char* name, const QString& caption, QWidget* parent);
    QRadioButton* optionButton(int n) const;
    // Runs a handler; a failure it does not report ends with it.
    template <class F> void handle(F&& handler);

    FileList m_list;
    MainForm m_form;
    int m_pointer = PointerDefault;
    QString m_applicationTitle;
    std::optional<QCursor> m_handCursor;

    QStyle* m_frameStyle = nullptr; // a child of the window
    QScrollArea* m_scroll = nullptr;
    QWidget* m_surface = nullptr; // holds every control at its designed place
    bool m_followsScreen = false;
    ListView* m_listView = nullptr;
    QPushButton* m_pushButton1 = nullptr;
    QPushButton* m_pushButton2 = nullptr;
    QPushButton* m_pushButton3 = nullptr;
    QPushButton* m_pushButton4 = nullptr;
    QPushButton* m_pushButton5 = nullptr;
    QPushButton* m_pushButton7 = nullptr;
    QGroupBox* m_frame1 = nullptr;
    QGroupBox* m_frame2 = nullptr;
    QGroupBox* m_frame3 = nullptr;
    QRadioButton* m_option1 = nullptr;
    QRadioButton* m_option2 = nullptr;
    QRadioButton* m_option3 = nullptr;
    QRadioButton* m_option4 = nullptr;
    QComboBox* m_combo1 = nullptr;
    QLineEdit* m_text1 = nullptr;
    ProgressBar1* m_progressBar1 = nullptr;
};

// Twips to pixels at 15 twips a pixel.
inline int twips(int value)
{
    return (value * 2 + 15) / 30;
}

} // namespace plumark

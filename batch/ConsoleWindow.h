#pragma once

#include "shell/Window.h"

namespace plumark {

// The window of the batch mode: no widgets and no dialogs. Messages and error
// reports go to standard error; questions and dialogs get the answer of a
// cancelled dialog; a yield handles pending events.
class ConsoleWindow : public Window
{
public:
    int selectedRow() const override { return 0; }
    void selectRow(int) override {}
    void ensureRowVisible(int) override {}
    int rowAt(int, int) const override { return 0; }
    void setListPointer(int, const QString&) override {}
    void addListColumn(const QString&) override {}
    void setListColumnWidth(int) override {}

    bool option(int) const override { return false; }
    void setOption(int, bool) override {}

    void addRateEntry(const QString&) override {}
    QString rateText() const override { return {}; }
    void setRateText(const QString&) override {}
    bool rateEnabled() const override { return false; }
    void setRateEnabled(bool) override {}

    QString folderText() const override { return {}; }
    void setFolderText(const QString&) override {}
    bool folderFrameEnabled() const override { return false; }
    void setFolderFrameEnabled(bool) override {}

    ProgressBar& progressBar() override { return m_bar; }

    int mousePointer() const override { return m_pointer; }
    void setMousePointer(int value) override { m_pointer = value; }

    void setCaption(const QString&) override {}
    void setProductIcon() override {}
    void setApplicationTitle(const QString& title) override { m_title = title; }
    QString applicationTitle() const override { return m_title; }
    void loadHandPointer(const QString&) override {}
    void applySkin(const QString&) override {}

    void message(const QString& text, const QString& title = {},
                 MessageIcon icon = MessageIcon::None) override;
    bool question(const QString&) override { return false; }
    QString inputBox(const QString&, const QString&) override { return {}; }
    QString browseForFolder(const QString&, const QString&) override { return {}; }
    QString openFileDialog(const FileDialogSetup&) override { return {}; }
    void openExternally(const QString&) override {}

    void yield() override;

private:
    class TextBar : public ProgressBar
    {
    public:
        int value() const override { return static_cast<int>(m_value + 0.5); }
        void setValue(double value) override { m_value = value; }
        QString text() const override { return m_text; }
        void setText(const QString& text) override { m_text = text; }

    private:
        double m_value = 0;
        QString m_text = QStringLiteral("Progress Bar");
    };

    TextBar m_bar;
    int m_pointer = PointerDefault;
    QString m_title = QStringLiteral("Plumark");
};

} // namespace plumark

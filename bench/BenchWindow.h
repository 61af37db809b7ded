#pragma once

#include "base/Window.h"

#include <cmath>
#include <functional>

namespace plumark::bench {

class BenchProgressBar : public ProgressBar
{
public:
    int value() const override { return static_cast<int>(std::lround(m_value)); }
    void setValue(double value) override { m_value = value; }
    QString text() const override { return m_text; }
    void setText(const QString& text) override
    {
        m_text = text;
        if (onText)
            onText(text);
    }
    std::function<void(const QString&)> onText;

private:
    double m_value = 0;
    QString m_text = QStringLiteral("Progress Bar");
};

// A window with no widgets for benchmarks: options and texts as set, dialogs
// cancelled, messages kept.
class BenchWindow : public Window
{
public:
    int selectedRow() const override { return 0; }
    void selectRow(int) override {}
    void ensureRowVisible(int) override {}
    int rowAt(int, int) const override { return 0; }
    void setListPointer(int, const QString&) override {}
    void addListColumn(const QString&) override {}
    void setListColumnWidth(int) override {}

    bool option(int n) const override { return options[n]; }
    void setOption(int n, bool selected) override
    {
        options[n] = selected;
        if (selected)
            options[n % 2 == 1 ? n + 1 : n - 1] = false;
    }

    void addRateEntry(const QString&) override {}
    QString rateText() const override { return rate; }
    void setRateText(const QString& text) override { rate = text; }
    bool rateEnabled() const override { return true; }
    void setRateEnabled(bool) override {}

    QString folderText() const override { return folder; }
    void setFolderText(const QString& text) override { folder = text; }
    bool folderFrameEnabled() const override { return true; }
    void setFolderFrameEnabled(bool) override {}

    ProgressBar& progressBar() override { return bar; }
    int mousePointer() const override { return pointer; }
    void setMousePointer(int value) override { pointer = value; }

    void setCaption(const QString&) override {}
    void setProductIcon() override {}
    void setApplicationTitle(const QString&) override {}
    QString applicationTitle() const override { return QStringLiteral("Plumark"); }
    void loadHandPointer(const QString&) override {}
    void applySkin(const QString&) override {}

    void message(const QString& text, const QString&, MessageIcon) override
    {
        messages.append(text);
    }
    bool question(const QString&) override { return false; }
    QString inputBox(const QString&, const QString&) override { return {}; }
    QString browseForFolder(const QString&, const QString&) override { return {}; }
    QString openFileDialog(const FileDialogSetup&) override { return {}; }
    void openExternally(const QString&) override {}
    void yield() override {}

    bool options[5] = {false, true, false, true, false};
    QString rate = QStringLiteral("128 kbps");
    QString folder;
    BenchProgressBar bar;
    int pointer = PointerDefault;
    QStringList messages;
};

} // namespace plumark::bench

#pragma once

#include "base/Failure.h"
#include "base/Window.h"

#include <QList>
#include <QStringList>
#include <array>
#include <functional>

namespace plumark::test {

struct ShownMessage
{
    QString text;
    QString title;
    MessageIcon icon;
};

class FakeProgressBar : public ProgressBar
{
public:
    int value() const override { return static_cast<int>(std::lround(m_value)); }
    void setValue(double value) override
    {
        m_value = value;
        values.append(value);
    }
    QString text() const override { return m_text; }
    void setText(const QString& text) override
    {
        m_text = text;
        texts.append(text);
    }
    double rawValue() const { return m_value; }

    QList<double> values; // every value set, in order
    QStringList texts;    // every text set, in order

private:
    double m_value = 0;
    QString m_text = QStringLiteral("Progress Bar");
};

// A window without widgets: records what the logic shows and answers its
// questions from queues set up by the test.
class FakeWindow : public Window
{
public:
    int selectedRow() const override { return selected; }
    void selectRow(int row) override { selected = row; }
    void ensureRowVisible(int row) override { madeVisible.append(row); }
    int rowAt(int x, int y) const override { return hitTest ? hitTest(x, y) : 0; }
    void setListPointer(int value, const QString& iconFile) override
    {
        listPointer = value;
        listPointerIcon = iconFile;
    }
    void addListColumn(const QString& header) override { columns.append(header); }
    void setListColumnWidth(int twips) override { columnWidth = twips; }

    bool option(int n) const override { return options.at(n); }
    void setOption(int n, bool selected) override
    {
        options.at(n) = selected;
        if (selected)
            options.at(n % 2 == 1 ? n + 1 : n - 1) = false;
    }

    void addRateEntry(const QString& text) override { rateEntries.append(text); }
    QString rateText() const override { return rate; }
    void setRateText(const QString& text) override
    {
        if (!rateEntries.contains(text))
            throw Failure(QStringLiteral("Invalid property value"));
        rate = text;
    }
    bool rateEnabled() const override { return rateOn; }
    void setRateEnabled(bool enabled) override { rateOn = enabled; }

    QString folderText() const override { return folder; }
    void setFolderText(const QString& text) override { folder = text; }
    bool folderFrameEnabled() const override { return frame3On; }
    void setFolderFrameEnabled(bool enabled) override { frame3On = enabled; }

    ProgressBar& progressBar() override { return bar; }

    int mousePointer() const override { return pointer; }
    void setMousePointer(int value) override
    {
        pointer = value;
        pointers.append(value);
    }

    void setCaption(const QString& text) override { caption = text; }
    void setProductIcon() override { iconSet = true; }
    void setApplicationTitle(const QString& title) override { appTitle = title; }
    QString applicationTitle() const override { return appTitle; }
    void loadHandPointer(const QString& file) override { handPointerFile = file; }
    void applySkin(const QString& file) override { skinFile = file; }

    void message(const QString& text, const QString& title, MessageIcon icon) override
    {
        messages.append({text, title.isEmpty() ? appTitle : title, icon});
        if (onMessage)
            onMessage(text);
    }
    bool question(const QString& text) override
    {
        questions.append(text);
        return answers.isEmpty() ? false : answers.takeFirst();
    }
    QString inputBox(const QString& prompt, const QString& defaultText) override
    {
        prompts.append(prompt);
        inputDefaults.append(defaultText);
        return inputs.isEmpty() ? QString() : inputs.takeFirst();
    }
    QString browseForFolder(const QString& title, const QString& initialFolder) override
    {
        browseTitles.append(title);
        browseInitial.append(initialFolder);
        return folders.isEmpty() ? QString() : folders.takeFirst();
    }
    QString openFileDialog(const FileDialogSetup& setup) override
    {
        dialogSetups.append(setup);
        if (dialogTooSmall)
            throw DialogBufferTooSmall();
        return dialogResult;
    }
    void openExternally(const QString& target) override { opened.append(target); }

    void yield() override
    {
        ++yields;
        if (onYield)
            onYield();
    }
    void runEnded(int converted, int notConverted) override
    {
        runsEnded.append({converted, notConverted});
    }

    // The texts of every message shown, in order.
    QStringList messageTexts() const
    {
        QStringList texts;
        for (const auto& m : messages)
            texts.append(m.text);
        return texts;
    }

    int selected = 0;
    QList<int> madeVisible;
    std::function<int(int, int)> hitTest;
    int listPointer = 0;
    QString listPointerIcon;
    QStringList columns;
    int columnWidth = 0;
    std::array<bool, 5> options{false, true, false, true, false}; // as designed: 1 and 3
    QStringList rateEntries;
    QString rate;
    bool rateOn = true;
    QString folder;
    bool frame3On = true;
    FakeProgressBar bar;
    int pointer = PointerDefault;
    QList<int> pointers;
    QString caption;
    bool iconSet = false;
    QString appTitle = QStringLiteral("Plumark");
    QString handPointerFile;
    QString skinFile;
    QList<ShownMessage> messages;
    std::function<void(const QString&)> onMessage;
    QStringList questions;
    QList<bool> answers;
    QStringList prompts;
    QStringList inputDefaults;
    QStringList inputs;
    QStringList browseTitles;
    QStringList browseInitial;
    QStringList folders;
    QList<FileDialogSetup> dialogSetups;
    QString dialogResult;
    bool dialogTooSmall = false;
    QStringList opened;
    int yields = 0;
    QList<QPair<int, int>> runsEnded; // converted, not converted
    std::function<void()> onYield;
};

} // namespace plumark::test

#pragma once

#include "shell/Settings.h"
#include "shell/widgets/Form1.h"
#include "support/Media.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace plumark::test {

// The real window with its dialogs answered here instead of by modal boxes.
class TestForm : public Form1
{
public:
    void message(const QString& text, const QString& title, MessageIcon) override
    {
        messages.append(text);
        titles.append(title);
    }
    bool question(const QString& text) override
    {
        questions.append(text);
        return false;
    }
    QString inputBox(const QString&, const QString&) override { return {}; }
    QString browseForFolder(const QString&, const QString&) override { return {}; }
    QString openFileDialog(const FileDialogSetup&) override { return {}; }
    void openExternally(const QString& target) override { opened.append(target); }

    QStringList messages;
    QStringList titles;
    QStringList questions;
    QStringList opened;
};

// A program folder of its own (with one sample file) and an empty store.
class WindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QFile::remove(settingsFilePath());
        writeFile(programFolder.filePath(QStringLiteral("Samples/Sample 1.m4a")), "sample");
        form.form().setProgramFolder(programFolder.path());
        form.form().randomSource = [] { return 0.0; };
    }

    template <class T = QWidget> T* control(const char* name)
    {
        return form.findChild<T*>(QLatin1String(name));
    }

    QTemporaryDir programFolder;
    TestForm form;
};

// Runs act on the next modal dialog as soon as it is shown, as a user facing
// it would; act must close it.
inline void whenDialogShows(std::function<void(QWidget*)> act)
{
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, act = std::move(act)] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog || !dialog->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        act(dialog);
    });
    poll->start();
}

// Makes window the active one, as a click on it would, and waits until the
// platform says so.
inline void activate(QWidget* window)
{
    window->activateWindow();
    QDeadlineTimer deadline(5000);
    while (QApplication::activeWindow() != window && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

} // namespace plumark::test

#include "shell/MainForm.h"

#include "engine/Tools.h"
#include "shell/ProgramFolder.h"

#include <QRandomGenerator>

namespace plumark {

MainForm::MainForm(Window& window, FileList& list) : m_window(window), m_list(list)
{
    randomSource = [] { return QRandomGenerator::global()->generateDouble(); };
}

MainForm::~MainForm() = default;

QString MainForm::programFolder() const
{
    return m_programFolder.isEmpty() ? ProgramFolder() : m_programFolder;
}

} // namespace plumark

#pragma once

#include "base/Window.h"

#include <QFileDialog>

class QLineEdit;

namespace plumark {

// The dialog of "Add M4A File(s)": several files may be chosen, and whatever
// names the user types are taken as typed, whether or not such a file exists
// or matches the filter.
class FileOpenDialog : public QFileDialog
{
    Q_OBJECT
public:
    FileOpenDialog(QWidget* parent, const FileDialogSetup& setup);

    // The chosen files in the handler's form: one full path, or the folder
    // they share followed by each one's path within it, NUL-separated.
    QString result() const;

    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Keeps "Open" usable while a name is typed.
    void keepOpenUsable();
    // The files picked in the dialog's view, while the name field still shows
    // what picking them wrote there; none otherwise.
    QStringList pickedFiles() const;
    // The typed names (several are quoted; one existing file's name is taken
    // whole, and a reading in which every quoted name is an existing file
    // before any other), each made absolute from the dialog's folder.
    QStringList typedFiles() const;

    QStringList m_chosen;
    QLineEdit* m_nameEdit = nullptr;
    QWidget* m_openButton = nullptr;
};

// files as one result text: a single path alone, several as the folder they
// all lie in followed by their paths relative to it.
QString fileDialogResult(const QStringList& files);

} // namespace plumark

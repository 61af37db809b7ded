#include "shell/widgets/FileOpenDialog.h"

#include <QAbstractItemView>
#include <QDialogButtonBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QPushButton>
#include <functional>
#include <vector>

namespace plumark {

namespace {

// The names of text read as several names each in double quotes, where a name
// may hold double quotes of its own ("say "hi".m4a" "plain.m4a"): the first
// reading in which every name is an existing file of folder, or none.
QStringList existingQuotedNames(const QString& text, const QDir& folder)
{
    const QChar quote = QLatin1Char('"');
    QStringList names;
    // Positions from which no reading goes on to the end.
    std::vector<bool> deadEnd(size_t(text.size()) + 1, false);
    const std::function<bool(qsizetype)> readFrom = [&](qsizetype at) {
        while (at < text.size() && text[at].isSpace())
            ++at;
        if (at == text.size())
            return !names.isEmpty();
        if (deadEnd[size_t(at)] || text[at] != quote)
            return false;
        // A name ends at a quote followed by a blank or the end.
        for (qsizetype end = text.indexOf(quote, at + 1); end >= 0;
             end = text.indexOf(quote, end + 1)) {
            if (end + 1 < text.size() && !text[end + 1].isSpace())
                continue;
            const QString name = text.mid(at + 1, end - at - 1);
            if (name.isEmpty() || !QFileInfo(folder.absoluteFilePath(name)).isFile())
                continue;
            names.append(name);
            if (readFrom(end + 1))
                return true;
            names.removeLast();
        }
        deadEnd[size_t(at)] = true;
        return false;
    };
    return readFrom(0) ? names : QStringList();
}

} // namespace

FileOpenDialog::FileOpenDialog(QWidget* parent, const FileDialogSetup& setup)
    : QFileDialog(parent, setup.title)
{
    setOption(QFileDialog::DontUseNativeDialog);
    setFileMode(setup.multiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    // Qt's own dialog matches name filters in any letter case.
    setNameFilter(setup.filterDescription.contains(setup.filterPattern)
                      ? setup.filterDescription
                      : setup.filterDescription + QStringLiteral(" (") + setup.filterPattern +
                            QLatin1Char(')'));

    // Qt's dialog offers "Open" only for names of existing files that pass
    // the filter; here any typed name may be opened.
    m_nameEdit = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (const auto* buttons = findChild<QDialogButtonBox*>(QStringLiteral("buttonBox")))
        m_openButton = buttons->button(QDialogButtonBox::Open);
    if (m_nameEdit && m_openButton) {
        m_openButton->installEventFilter(this);
        connect(m_nameEdit, &QLineEdit::textChanged, this, [this] { keepOpenUsable(); });
    }
}

void FileOpenDialog::keepOpenUsable()
{
    if (!m_nameEdit->text().trimmed().isEmpty())
        m_openButton->setEnabled(true);
}

bool FileOpenDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_openButton && event->type() == QEvent::EnabledChange &&
        !m_openButton->isEnabled())
        keepOpenUsable();
    return QFileDialog::eventFilter(watched, event);
}

QStringList FileOpenDialog::pickedFiles() const
{
    const auto* view = findChild<QAbstractItemView*>(QStringLiteral("listView"));
    if (!m_nameEdit || !view || !view->selectionModel())
        return {};
    QStringList names;
    QStringList files;
    for (const QModelIndex& row : view->selectionModel()->selectedRows()) {
        const QString file = row.data(QFileSystemModel::FilePathRole).toString();
        if (QFileInfo(file).isDir())
            continue;
        names.append(row.data().toString());
        files.append(file);
    }
    // Qt's dialog writes the picked files' names into the name field, each in
    // double quotes when there are several; a name holding quotes of its own
    // cannot be read back from there.
    if (names.size() > 1) {
        for (QString& name : names)
            name = QLatin1Char('"') + name + QLatin1Char('"');
    }
    if (files.isEmpty() || m_nameEdit->text() != names.join(QLatin1Char(' ')))
        return {};
    return files;
}

QStringList FileOpenDialog::typedFiles() const
{
    QStringList names;
    const QString text = m_nameEdit ? m_nameEdit->text() : QString();
    const QDir folder = directory();
    if (text.contains(QLatin1Char('"')) && !QFileInfo::exists(folder.absoluteFilePath(text))) {
        // Several names are each in double quotes: "a.m4a" "b.m4a". Names
        // with quotes of their own are read as existing files where they can
        // be; otherwise each quote ends a name.
        names = existingQuotedNames(text, folder);
        if (names.isEmpty()) {
            const QStringList pieces = text.split(QLatin1Char('"'));
            for (qsizetype i = 1; i < pieces.size(); i += 2)
                names.append(pieces[i]);
        }
    } else {
        names.append(text);
    }
    QStringList files;
    for (const QString& name : std::as_const(names)) {
        if (name.trimmed().isEmpty())
            continue;
        files.append(QDir::isAbsolutePath(name) ? name : folder.absoluteFilePath(name));
        if (fileMode() == QFileDialog::ExistingFile)
            break;
    }
    return files;
}

void FileOpenDialog::accept()
{
    QStringList files = pickedFiles();
    if (files.isEmpty())
        files = typedFiles();
    // Nothing typed, or one folder: Qt's dialog goes into the folder.
    if (files.isEmpty() || (files.size() == 1 && QFileInfo(files.first()).isDir())) {
        QFileDialog::accept();
        return;
    }
    m_chosen = files;
    QDialog::accept();
}

QString FileOpenDialog::result() const
{
    return fileDialogResult(m_chosen);
}

QString fileDialogResult(const QStringList& files)
{
    if (files.size() <= 1)
        return files.value(0);
    // The folder is the longest run of leading path parts that all share, so
    // that names typed with folders of their own keep them.
    QStringList shared = files.first().split(QLatin1Char('/'));
    for (const QString& file : files) {
        const QStringList parts = file.split(QLatin1Char('/'));
        qsizetype n = 0;
        while (n < shared.size() && n + 1 < parts.size() && shared[n] == parts[n])
            ++n;
        shared.resize(n);
    }
    const QString prefix = shared.join(QLatin1Char('/'));
    QStringList parts{prefix.isEmpty() ? QStringLiteral("/") : prefix};
    for (const QString& file : files)
        parts.append(file.mid(prefix.size() + 1));
    return parts.join(QChar(0));
}

} // namespace plumark

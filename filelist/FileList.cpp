#include "filelist/FileList.h"

#include "base/Failure.h"

namespace plumark {

void FileList::check(int row) const
{
    if (row < 1 || row > count())
        throw Failure(
            QStringLiteral("Row %1 does not exist (the list has %2 rows)").arg(row).arg(count()));
}

QString FileList::text(int row) const
{
    check(row);
    return m_rows[row - 1];
}

void FileList::setText(int row, const QString& text)
{
    check(row);
    m_rows[row - 1] = text;
    const QModelIndex changed = index(row - 1);
    emit dataChanged(changed, changed);
}

void FileList::append(const QString& text)
{
    beginInsertRows({}, count(), count());
    m_rows.append(text);
    endInsertRows();
}

void FileList::remove(int row)
{
    check(row);
    beginRemoveRows({}, row - 1, row - 1);
    m_rows.removeAt(row - 1);
    endRemoveRows();
}

void FileList::clear()
{
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

int FileList::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant FileList::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= count() || index.column() != 0)
        return {};
    // A row too long for the list is shown shortened; its tooltip is whole.
    if (role == Qt::DisplayRole || role == Qt::EditRole || role == Qt::ToolTipRole)
        return m_rows[index.row()];
    return {};
}

QVariant FileList::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return m_header;
    return {};
}

void FileList::setHeader(const QString& header)
{
    m_header = header;
    emit headerDataChanged(Qt::Horizontal, 0, 0);
}

void AddPathToList(FileList& list, const QString& path)
{
    list.append(path);
}

bool IsPathInList(const FileList& list, const QString& path)
{
    return list.texts().contains(path, Qt::CaseSensitive);
}

} // namespace plumark

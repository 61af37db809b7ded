#pragma once

#include <QAbstractListModel>
#include <QStringList>

namespace plumark {

// The rows of ListView1: one text per row, numbered from 1 in the order of
// addition. Duplicates are allowed; a text is kept exactly as given.
class FileList : public QAbstractListModel
{
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int count() const { return static_cast<int>(m_rows.size()); }
    // Row text by 1-based index; raises Failure for a row that does not exist.
    QString text(int row) const;
    void setText(int row, const QString& text);
    void append(const QString& text);
    // Removes one row; later rows move up by one.
    void remove(int row);
    void clear();
    const QStringList& texts() const { return m_rows; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    void setHeader(const QString& header);

private:
    void check(int row) const;

    QStringList m_rows;
    QString m_header;
};

// Appends one row with the path unchanged.
void AddPathToList(FileList& list, const QString& path);
// True when some row's text equals the path exactly (letter case counts).
bool IsPathInList(const FileList& list, const QString& path);

} // namespace plumark

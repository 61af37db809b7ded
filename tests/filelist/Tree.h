#pragma once

#include "support/Media.h"

#include <QDir>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plumark::test {

// A scratch folder tree for scans; paths are given relative to its root.
class Tree
{
public:
    QString root() const { return m_dir.path(); }
    QString path(const QString& relative) const { return root() + QLatin1Char('/') + relative; }

    void file(const QString& relative) { writeFile(path(relative), relative.toUtf8()); }
    void files(const QStringList& relatives)
    {
        for (const QString& relative : relatives)
            file(relative);
    }
    void folder(const QString& relative) { ASSERT_TRUE(QDir().mkpath(path(relative))); }
    void link(const QString& relative, const QString& target)
    {
        ASSERT_EQ(::symlink(target.toUtf8().constData(), path(relative).toUtf8().constData()), 0);
    }
    void fifo(const QString& relative)
    {
        ASSERT_EQ(::mkfifo(path(relative).toUtf8().constData(), 0600), 0);
    }
    // Full paths of relative names, in the order given.
    QStringList paths(const QStringList& relatives) const
    {
        QStringList out;
        for (const QString& relative : relatives)
            out.append(path(relative));
        return out;
    }

private:
    QTemporaryDir m_dir;
};

} // namespace plumark::test

#include "batch/JobPlan.h"

#include "engine/ConversionRules.h"
#include "engine/OutputClaims.h"
#include "engine/Paths.h"
#include "filelist/AddFolder.h"
#include "filelist/FileList.h"

#include <QDir>
#include <climits>
#include <unistd.h>

namespace plumark {

namespace {

BatchJob jobFor(const QString& input, const QString& outputFolder, const QString& folderToMake,
                transcode::Container container)
{
    BatchJob job;
    job.input = input;
    job.output = outputPathFor(input, outputFolder);
    // The result's name ends in its container's extension, not "ac3".
    job.output.chop(3);
    job.output += transcode::containerExtension(container);
    job.folderToMake = folderToMake;
    return job;
}

// The folder of a scanned file relative to the scanned folder, with its
// trailing separator; empty for the scanned folder itself.
QString subFolderOf(const QString& file, const QString& scannedFolder)
{
    const QString root = CollapseBackslashes(scannedFolder + separator());
    const QString parent = ParentFolder(file);
    return parent.startsWith(root) ? parent.mid(root.size()) : QString();
}

// The path from the root, its bytes kept; "." and ".." taken away as the
// system would.
QString absolutePath(const QString& path)
{
    if (path.startsWith(QLatin1Char('/')))
        return QDir::cleanPath(path);
    char buffer[PATH_MAX];
    const char* current = ::getcwd(buffer, sizeof buffer);
    return QDir::cleanPath((current ? pathFromNative(current) : QString()) + QLatin1Char('/') +
                           path);
}

} // namespace

QList<BatchJob> planJobs(const BatchOptions& options, Reporter& reporter)
{
    QList<BatchJob> jobs;
    const QString pattern = QStringLiteral("*.") + options.extension;
    // A name without a folder would otherwise give a result in "/".
    const QString outputFolder =
        options.outputFolder.isEmpty() ? QString() : absolutePath(options.outputFolder);
    for (const QString& argument : options.paths) {
        const QString path = absolutePath(argument);
        if (!FolderExists(path)) {
            jobs.append(jobFor(path, outputFolder, {}, options.container));
            continue;
        }
        FileList found;
        AddFolderTree(found, reporter, path, pattern, UndecodableNames::Keep);
        for (const QString& file : found.texts()) {
            const QString subFolder = subFolderOf(file, path);
            if (options.keepTree && !outputFolder.isEmpty() && !subFolder.isEmpty()) {
                const QString folder = CollapseBackslashes(outputFolder + separator() + subFolder);
                jobs.append(jobFor(file, folder, folder, options.container));
            } else {
                jobs.append(jobFor(file, outputFolder, {}, options.container));
            }
        }
    }
    // Named in a list: taken as files, never scanned.
    for (const QString& listed : options.listedFiles)
        jobs.append(jobFor(absolutePath(listed), outputFolder, {}, options.container));

    // No result may replace a file of the batch or the result of an earlier
    // file; such a file is not converted. A file refused for its own reason
    // (missing, not a regular file) writes nothing, so it claims no result.
    QStringList inputs;
    for (const BatchJob& job : jobs)
        inputs.append(job.input);
    OutputClaims claims(inputs);
    for (BatchJob& job : jobs) {
        if (!refusalReason(job.input, job.output).isEmpty())
            continue;
        job.reason = claims.claim(job.input, job.output);
        if (!job.reason.isEmpty())
            job.state = BatchJob::State::NotConverted;
    }

    // Whether a result already there stands is found when the job's turn
    // comes, by a worker: it reads the input, which this process never does.
    for (BatchJob& job : jobs)
        job.keepExisting = options.skipExisting;
    return jobs;
}

} // namespace plumark

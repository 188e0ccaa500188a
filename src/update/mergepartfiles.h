#pragma once

#include <QString>
#include <QStringList>

// Joins the part files, in order, into the target file, which must then hold exactly
// `expectedSize` bytes. The first part grows into the joined file and takes the target's name
// once it is complete (a rename, so the parts must lie on the target's file system): a failed join
// never leaves a short or overlong file behind. The part files are deleted either way.
bool MergePartFiles(const QString& targetPath, const QStringList& partPaths, qint64 expectedSize);

// The joining alone: the part files after the first stay where they are.
bool joinPartFiles(const QString& targetPath, const QStringList& partPaths, qint64 expectedSize);

// Removes whichever of the part files exist.
void removePartFiles(const QStringList& partPaths);

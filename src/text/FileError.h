#pragma once
// A failed read or write, described for the user: which file, and why, in Russian.

#include <QFileDevice>
#include <QList>
#include <QString>

namespace kvarsel {

struct FileError {
    QString path;
    QString reason;
    qsizetype line = 0; // 1-based line of an unwritable character; 0 when not about a line
    // A failed write that could not put the old file back: the name holds the new
    // content, so no message may say the old one was kept.
    bool oldContentLost = false;

    // One-line message, e.g. «Не удалось записать файл «/a/b.rc»: нет прав на запись».
    QString message() const;
};

using FileErrors = QList<FileError>;

// Joins several failures into the text of one message box.
QString describeFailures(const QString& intro, const FileErrors& errors);

// Whether every failed write left its file as it was before.
bool oldContentKept(const FileErrors& errors);

// Russian reason for an operating-system error number (errno).
QString reasonForErrno(int err);

// Russian reason for the last failure of a device; uses errno when the device left one.
QString reasonFor(const QFileDevice& device, int savedErrno);

} // namespace kvarsel

#include "text/FileIdentity.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace kvarsel {

FileIdentity identityOf(const QString& path)
{
    FileIdentity id;
    id.realPath = QFileInfo(path).canonicalFilePath();
    if (id.realPath.isEmpty())
        return id;
#ifdef Q_OS_UNIX
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return FileIdentity{};
    id.device = quint64(st.st_dev);
    id.inode = quint64(st.st_ino);
#endif
    return id;
}

} // namespace kvarsel

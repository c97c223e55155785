#include "text/FileIdentity.h"

#include "text/NativePath.h"

#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <climits>
#include <cstdlib>
#include <sys/stat.h>
#endif

namespace kvarsel {

FileIdentity identityOf(const QString& path)
{
    FileIdentity id;
#ifdef Q_OS_UNIX
    const QByteArray native = nativePath(path);
    char real[PATH_MAX];
    struct stat st;
    if (!::realpath(native.constData(), real) || ::stat(native.constData(), &st) != 0)
        return id;
    id.realPath = pathFromNative(QByteArray(real));
    id.device = quint64(st.st_dev);
    id.inode = quint64(st.st_ino);
#else
    id.realPath = QFileInfo(path).canonicalFilePath();
#endif
    return id;
}

} // namespace kvarsel

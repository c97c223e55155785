#include "text/FileError.h"

#include <algorithm>

#include <cerrno>
#include <cstring>

namespace kvarsel {

QString FileError::message() const
{
    QString text = QStringLiteral("Файл «%1»").arg(path);
    if (line > 0)
        text += QStringLiteral(", строка %1").arg(line);
    return text + QStringLiteral(": ") + reason;
}

QString describeFailures(const QString& intro, const FileErrors& errors)
{
    QStringList lines;
    if (!intro.isEmpty())
        lines << intro;
    for (const FileError& e : errors)
        lines << e.message();
    return lines.join(QChar(10));
}

bool oldContentKept(const FileErrors& errors)
{
    return std::none_of(errors.begin(), errors.end(), [](const FileError& e) { return e.oldContentLost; });
}

QString reasonForErrno(int err)
{
    switch (err) {
    case ENOENT:
        return QStringLiteral("файл или каталог не найден");
    case EACCES:
    case EPERM:
        return QStringLiteral("нет прав доступа");
    case EROFS:
        return QStringLiteral("файловая система доступна только для чтения");
    case ENOSPC:
        return QStringLiteral("нет места на диске");
#ifdef EDQUOT
    case EDQUOT:
        return QStringLiteral("превышена дисковая квота");
#endif
    case EISDIR:
        return QStringLiteral("это каталог, а не файл");
    case ENOTDIR:
        return QStringLiteral("часть пути не является каталогом");
    case ELOOP:
        return QStringLiteral("слишком много символических ссылок (возможно, ссылка на саму себя)");
    case ENAMETOOLONG:
        return QStringLiteral("слишком длинное имя файла");
    case EIO:
        return QStringLiteral("ошибка ввода-вывода");
    case EFBIG:
        return QStringLiteral("файл слишком велик для этого диска");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("открыто слишком много файлов");
    case EBUSY:
    case ETXTBSY:
        return QStringLiteral("файл занят другой программой");
    case EEXIST:
        return QStringLiteral("файл уже существует");
    case EXDEV:
        return QStringLiteral("файл нельзя переместить на другой диск");
    case ENOMEM:
        return QStringLiteral("недостаточно памяти");
    default:
        break;
    }
    return QStringLiteral("системная ошибка %1").arg(err);
}

QString reasonFor(const QFileDevice& device, int savedErrno)
{
    if (savedErrno != 0)
        return reasonForErrno(savedErrno);
    switch (device.error()) {
    case QFileDevice::ReadError:
        return QStringLiteral("ошибка чтения");
    case QFileDevice::WriteError:
        return QStringLiteral("ошибка записи");
    case QFileDevice::OpenError:
        return QStringLiteral("файл не удалось открыть");
    case QFileDevice::PermissionsError:
        return QStringLiteral("нет прав доступа");
    case QFileDevice::ResourceError:
        return QStringLiteral("недостаточно ресурсов (возможно, нет места на диске)");
    case QFileDevice::RenameError:
        return QStringLiteral("не удалось заменить файл");
    case QFileDevice::RemoveError:
        return QStringLiteral("не удалось удалить файл");
    default:
        break;
    }
    return QStringLiteral("неизвестная ошибка");
}

} // namespace kvarsel

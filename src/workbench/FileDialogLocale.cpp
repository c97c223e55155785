#include "workbench/FileDialogLocale.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QLocale>

namespace kvarsel {
namespace texts {
const QString kFolder = QStringLiteral("Папка");
} // namespace texts

namespace {

// The columns of QFileSystemModel.
enum Column { Name, Size, Type, Modified };

class FileListInProgramLocale : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override
    {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || !files || !index.isValid())
            return QIdentityProxyModel::data(index, role);
        const QModelIndex source = mapToSource(index);
        switch (index.column()) {
        case Size:
            // A folder has no size in the list. In the units a Russian user reads
            // ("кБ", "МБ"): Qt translates no others.
            if (!files->isDir(source))
                return QLocale().formattedDataSize(files->size(source), 2,
                                                   QLocale::DataSizeTraditionalFormat);
            break;
        case Type:
            if (files->isDir(source))
                return texts::kFolder;
            break;
        case Modified:
            return QLocale().toString(files->lastModified(source), QLocale::ShortFormat);
        default:
            break;
        }
        return QIdentityProxyModel::data(index, role);
    }
};

} // namespace

void showFileListInProgramLocale(QFileDialog& dialog)
{
    dialog.setProxyModel(new FileListInProgramLocale(&dialog));
}

} // namespace kvarsel

#include "help/HelpTexts.h"

#include "dictionary/DictionaryFiles.h"
#include "text/TextFile.h"

#include <QDir>
#include <QFileInfo>

namespace kvarsel {

HelpList buildHelpList(const QString& directory, const QString& documentation)
{
    using namespace help_texts;
    HelpList help;
    help.rows << QString() << kInformation << QString(88, u'=') << QString();
    const QString path = fileInDirIgnoringCase(directory, kReadmeName);
    if (!QFileInfo::exists(path)) {
        help.readmeMissing = true;
        help.rows << kReadmeMissingRow << QString() << kSeeDocumentation
                  << QDir::toNativeSeparators(documentation);
        return help;
    }
    LinesRead read = readLines(path);
    help.readError = read.error;
    help.rows << read.lines;
    return help;
}

QString readmeMissingMessage(const QString& documentation)
{
    using namespace help_texts;
    return kReadmeMissing + u'\n' + kSeeDocumentation + u'\n' + QDir::toNativeSeparators(documentation);
}

QString documentationPath(const QString& programDir)
{
    const QString installed =
        QDir::cleanPath(programDir + QStringLiteral("/../share/doc/kvarsel/docs/guide.html"));
    const QString built = QDir::cleanPath(programDir + QStringLiteral("/share/doc/kvarsel/docs/guide.html"));
    for (const QString& path : {installed, built})
        if (QFileInfo(path).isFile())
            return path;
    return installed;
}

} // namespace kvarsel

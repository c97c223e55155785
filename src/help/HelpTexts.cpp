#include "help/HelpTexts.h"

#include "dictionary/DictionaryFiles.h"
#include "text/TextFile.h"

#include <QFileInfo>

namespace kvarsel {

HelpList buildHelpList(const QString& directory)
{
    using namespace help_texts;
    HelpList help;
    help.rows << QString() << kInformation << QString(88, u'=') << QString();
    const QString path = fileInDirIgnoringCase(directory, kReadmeName);
    if (!QFileInfo::exists(path)) {
        help.readmeMissing = true;
        help.rows << kReadmeMissingRow << QString() << kVisitSite << kSiteLine;
        return help;
    }
    LinesRead read = readLines(path);
    help.readError = read.error;
    help.rows << read.lines;
    return help;
}

QString readmeMissingMessage()
{
    using namespace help_texts;
    return kReadmeMissing + u'\n' + kVisitSite + u'\n' + kSiteLine;
}

} // namespace kvarsel

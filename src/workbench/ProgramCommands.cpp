#include "workbench/ProgramCommands.h"

#include "program/ProgramFiles.h"
#include "program/RcFiles.h"
#include "project/ProjectResources.h"
#include "workbench/MainWindow.h"
#include "workbench/ProductName.h"

#include <QDir>
#include <QFileInfo>
#include <QProgressBar>

namespace kvarsel {

namespace texts {
const QString kOpenTitle = QStringLiteral("Открыть программу");
const QString kWriteTitle = QStringLiteral("Записать программу");
const QString kOpenFilter =
    QStringLiteral("Программы и библиотеки Windows (*.exe *.dll *.ocx *.cpl *.scr *.mui);;"
                   "Файлы ресурсов (*.res);;Сценарии ресурсов (*.rc);;Все файлы (*)");
const QString kNotUnpacked = QStringLiteral("Программа не распакована.");
const QString kNoResources = QStringLiteral("Сначала откройте программу командой «Открыть программу…»: "
                                            "загруженный каталог ресурсов должен быть получен из программы.");
const QString kNotWritten = QStringLiteral("Программа не записана.");
const QString kScriptsNotSaved = QStringLiteral("Сценарии с переводом не сохранены, программа не записана.");
QString unpacked(const QString& dir, qsizetype scripts)
{
    return QStringLiteral("Программа распакована в каталог «%1»: сценариев — %2.")
        .arg(QDir::toNativeSeparators(dir))
        .arg(scripts);
}
QString written(const QString& file, qsizetype replaced, qsizetype added)
{
    return QStringLiteral("Записана программа «%1»: ресурсов заменено — %2, добавлено — %3.")
        .arg(QDir::toNativeSeparators(file))
        .arg(replaced)
        .arg(added);
}
QString writtenScript(const QString& file, int blocks)
{
    return QStringLiteral("Записан сценарий ресурсов «%1»: блоков с переводом — %2.")
        .arg(QDir::toNativeSeparators(file))
        .arg(blocks);
}
} // namespace texts

namespace {

bool isWholeScript(const QString& path) { return path.endsWith(QStringLiteral(".rc"), Qt::CaseInsensitive); }

// The window's progress for a step of the core: the bar, painted at once.
ProgramProgress barOf(MainWindow& main)
{
    return [&main](int percent) {
        main.progressBar()->setValue(percent);
        main.repaintNow();
    };
}

QString withNotes(QString text, const QStringList& notes)
{
    for (const QString& note : notes)
        text += QChar(10) + note;
    return text;
}

} // namespace

void openProgram(MainWindow& main)
{
    const QString program = main.services().openFile(&main, texts::kOpenTitle, main.project().workDir(),
                                                     texts::kOpenFilter, QStringLiteral("exe"));
    if (!program.isEmpty())
        openProgramFile(main, program);
}

void openProgramFile(MainWindow& main, const QString& program)
{
    UiServices& services = main.services();
    // The same program unpacked before: its folder holds the translation so far.
    const UnpackingFolder folder = unpackingFolderFor(main.project().workDir(), program);
    if (!folder.error.isEmpty()) {
        services.message(&main, kProductName, texts::kNotUnpacked + QChar(10) + folder.error,
                         MessageIcon::Stop);
        return;
    }
    const QString& dir = folder.path;
    if (!folder.earlier) {
        main.setBusy(true);
        QString error, done;
        if (isWholeScript(program)) {
            const RcUnpackResult result = unpackRcFile(QFileInfo(program).absoluteFilePath(), dir, QString());
            error = result.error;
            done = withNotes(texts::unpacked(dir, result.written), result.notes);
        } else {
            UnpackOptions options;
            options.program = QFileInfo(program).absoluteFilePath();
            options.resourceDir = dir;
            const UnpackResult result = unpackProgram(options, barOf(main));
            error = result.error;
            done = withNotes(texts::unpacked(dir, result.written), result.notes);
        }
        main.progressBar()->setValue(0);
        main.setBusy(false);
        if (!error.isEmpty()) {
            services.message(&main, kProductName, texts::kNotUnpacked + QChar(10) + error, MessageIcon::Stop);
            return;
        }
        services.message(&main, kProductName, done, MessageIcon::Information);
    }
    main.setResourcesDirectory(dir);
    main.loadResourcesFrom(dir);
}

void writeProgram(MainWindow& main)
{
    UiServices& services = main.services();
    Project& project = main.project();
    const QString dir = project.resourceDirectory();
    bool recorded = false;
    const RecordRead read = dir.isEmpty() ? RecordRead() : readRecordOf(dir, &recorded);
    if (!recorded) {
        services.message(&main, kProductName, texts::kNoResources, MessageIcon::Information);
        return;
    }
    if (!read.error.isEmpty()) {
        services.message(&main, kProductName, texts::kNotWritten + QChar(10) + read.error, MessageIcon::Stop);
        return;
    }
    const QString output = services.saveFile(&main, texts::kWriteTitle, defaultPackedName(read.record.path),
                                             texts::kOpenFilter, QFileInfo(read.record.path).suffix());
    if (output.isEmpty())
        return;
    main.setBusy(true);
    // The program is made from the scripts on disk: the translation in the window goes there first.
    if (project.resourcesChanged()) {
        const ProjectSave save = saveProjectResources(project);
        if (!save.refusal.isEmpty() || !save.result.errors.isEmpty()) {
            main.setBusy(false);
            const QString why = !save.refusal.isEmpty()
                                    ? save.refusal
                                    : describeFailures(QString(), save.result.errors).trimmed();
            services.message(&main, kProductName, texts::kScriptsNotSaved + QChar(10) + why,
                             MessageIcon::Stop);
            return;
        }
        // Saved as "Сохранить" saves: the exit asks only about what changes after.
        project.markResourcesSaved();
    }
    if (read.record.source == SourceKind::Rc) {
        const RcPackResult result =
            packRcFile(dir, QFileInfo(output).absoluteFilePath(), false, project.workDir());
        main.setBusy(false);
        if (!result.ok())
            services.message(&main, kProductName, texts::kNotWritten + QChar(10) + result.error,
                             MessageIcon::Stop);
        else
            services.message(&main, kProductName, texts::writtenScript(output, result.changedBlocks),
                             MessageIcon::Information);
        return;
    }
    PackOptions options;
    options.resourceDir = dir;
    options.output = QFileInfo(output).absoluteFilePath();
    options.workDir = project.workDir();
    const PackResult result = packProgram(options, barOf(main));
    main.progressBar()->setValue(0);
    main.setBusy(false);
    if (!result.ok()) {
        services.message(&main, kProductName, texts::kNotWritten + QChar(10) + result.error,
                         MessageIcon::Stop);
        return;
    }
    services.message(&main, kProductName,
                     withNotes(texts::written(output, result.replaced, result.added), result.notes),
                     MessageIcon::Information);
}

} // namespace kvarsel

// The dialog fit check on long unbroken texts, and the faces it measures with.
//
// Long texts: n times "x" in a static text one dialog unit wide, for growing n: the
// check of one control (what the preview and the manual translation dialog ask for
// each dialog and each key) and a whole kvarsel-batch fit run on a dialog holding it.
//
// Faces: the reports kvarsel-batch fit's check gives on resource directories of
// untouched English dialogs, measured with the fonts the program uses (Wine's Tahoma
// and MS Sans Serif for the faces Windows maps to them) and, for comparison, with
// Liberation Sans for every sans-serif face.
//
//   kvarsel_fit_bench                          the long texts
//   kvarsel_fit_bench --faces RESOURCE_DIR...  the faces

#include "dialogs/FitCheck.h"
#include "dialogs/QtTextMeasure.h"
#include "project/Project.h"
#include "text/TextFile.h"
#include "workspace/ResourceLoader.h"

#include <QDir>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>
#include <map>
#include <memory>
#include <sys/resource.h>

using namespace kvarsel;

namespace {

// The measure as it was before the Windows faces: Liberation for every face.
class LiberationMeasure : public TextMeasure {
public:
    FontBase base(const DialogFont& font) const override
    {
        const QFontMetrics& m = metrics(font);
        static const QString alphabet =
            QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
        return FontBase{qMax(1, (m.horizontalAdvance(alphabet) + 26) / 52), qMax(1, m.height())};
    }
    int textWidth(const DialogFont& font, const QString& line) const override
    {
        return metrics(font).horizontalAdvance(line);
    }

private:
    const QFontMetrics& metrics(const DialogFont& f) const
    {
        const QString key =
            QStringLiteral("%1|%2|%3|%4").arg(f.face.toLower()).arg(f.pointSize).arg(f.weight).arg(f.italic);
        auto it = m_cache.find(key);
        if (it == m_cache.end()) {
            const QString face = f.face.trimmed().toLower();
            const bool sans = face.contains(QLatin1String("sans")) ||
                              face.startsWith(QLatin1String("ms shell")) || face == QLatin1String("tahoma");
            QFont font(sans ? QStringLiteral("Liberation Sans") : metricCompatibleFamily(f.face));
            font.setPixelSize(qMax(1, pointsToPixels(f.pointSize)));
            font.setWeight(QFont::Weight(qBound(100, f.weight, 900)));
            font.setItalic(f.italic);
            font.setKerning(false);
            it = m_cache.emplace(key, std::make_unique<QFontMetrics>(font)).first;
        }
        return *it->second;
    }
    mutable std::map<QString, std::unique_ptr<QFontMetrics>> m_cache;
};

// CPU seconds, not wall time: the machines this runs on are shared.
double ownCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

double childCpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

QStringList longTextDialog(int n)
{
    return {QStringLiteral("LONG DIALOGEX 0, 0, 200, 60"),
            QStringLiteral("STYLE DS_SETFONT | DS_FIXEDSYS | WS_POPUP | WS_CAPTION"),
            QStringLiteral("FONT 8, \"MS Shell Dlg\", 400, 0, 0x1"),
            QStringLiteral("BEGIN"),
            QStringLiteral("    LTEXT \"%1\",IDC_STATIC,7,7,1,8").arg(QString(n, u'x')),
            QStringLiteral("END")};
}

void longTexts()
{
    std::printf("long unbroken text in a control 1 unit wide, CPU time\n%8s %12s %14s\n", "chars",
                "check (ms)", "batch fit (s)");
    const QtTextMeasure measure;
    for (int n : {1000, 2000, 4000, 8000, 16000}) {
        const std::vector<DialogResource> dialogs = readDialogLines(longTextDialog(n), 0);
        const DialogResource& d = dialogs.front();
        const double before = ownCpuSeconds();
        const TextFit fit = measureFit(d.controls.front(), d.font, measure);
        const double checkMs = (ownCpuSeconds() - before) * 1000;

        QTemporaryDir dir;
        QDir(dir.path()).mkpath(QStringLiteral("resources/dialog"));
        writeLines(dir.filePath(QStringLiteral("resources/dialog/long.rc")), longTextDialog(n),
                   TextEncoding::Utf8);
        QProcess batch;
        batch.setWorkingDirectory(dir.path());
        const double childBefore = childCpuSeconds();
        batch.start(QStringLiteral(KVARSEL_BATCH_EXE),
                    {QStringLiteral("fit"), dir.filePath(QStringLiteral("resources"))});
        batch.waitForFinished(-1);
        const double batchS = childCpuSeconds() - childBefore;
        std::printf("%8d %12.1f %14.2f   (needs %d, %d lines)\n", n, checkMs, batchS, fit.neededWidth,
                    fit.linesNeeded);
    }
}

void faces(const QStringList& dirs)
{
    std::printf("fit reports on untouched English dialogs\n%-40s %10s %14s\n", "resources", "Liberation",
                "Windows faces");
    const QtTextMeasure windowsFaces;
    const LiberationMeasure liberation;
    for (const QString& dir : dirs) {
        Project project{QDir::tempPath()};
        loadResources(dir, project.stores(), false);
        const LineStore& dialogs = std::as_const(project).store(ResourceKind::Dialog);
        const auto before = findFitProblems(dialogs, liberation);
        const auto after = findFitProblems(dialogs, windowsFaces);
        std::printf("%-40s %10zu %14zu\n", qPrintable(dir), before.size(), after.size());
        for (const FitProblem& p : before)
            std::printf("  Liberation: %s %d / %d\n", qPrintable(describeControl(p)), p.fit.neededWidth,
                        p.fit.availableWidth);
        for (const FitProblem& p : after)
            std::printf("  Windows faces: %s %d / %d\n", qPrintable(describeControl(p)), p.fit.neededWidth,
                        p.fit.availableWidth);
    }
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const qsizetype at = args.indexOf(QStringLiteral("--faces"));
    if (at >= 0) {
        faces(args.mid(at + 1));
        return 0;
    }
    longTexts();
    return 0;
}

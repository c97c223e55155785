// Renders the program's Markdown documents to HTML with Qt's own Markdown reader, at
// build time, keeping their places relative to the source tree so that the links
// and pictures between them still hold:
//   kvarsel_doc_html ROOT OUTDIR FILE.md...        writes OUTDIR/FILE.html for each
//   kvarsel_doc_html --check ROOT FILE.md...       only checks them
// A link to another of the FILEs becomes a link to its HTML; every heading gets the
// anchor a reader of the Markdown source expects ("## Первый перевод" is
// #первый-перевод). Both modes fail, naming the file and the link, on a relative
// link or picture that leads nowhere, to a file that is not installed with the
// documents, or to an anchor the target lacks.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QUrl>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

struct Document {
    QString path; // relative to ROOT, with '/'
    QTextDocument text;
    QSet<QString> anchors;
};

// The anchor a Markdown reader makes of a heading: lower case, blanks as '-', every
// character that is neither a letter, a digit, '-' nor '_' dropped.
QString anchorOf(const QString& heading)
{
    QString anchor;
    for (const QChar c : heading.trimmed().toLower()) {
        if (c.isLetterOrNumber() || c == u'-' || c == u'_')
            anchor += c;
        else if (c == u' ')
            anchor += u'-';
    }
    return anchor;
}

bool isRelative(const QString& target) { return !target.isEmpty() && QUrl(target).scheme().isEmpty(); }

void fail(QStringList& errors, const Document& doc, const QString& what)
{
    errors << doc.path + QStringLiteral(": ") + what;
}

} // namespace

int main(int argc, char* argv[])
{
    // Fonts (the paragraphs' spacing depends on the default one) need a platform; a
    // build has no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    const bool checkOnly = !args.isEmpty() && args.first() == QStringLiteral("--check");
    if (checkOnly)
        args.removeFirst();
    if (args.size() < (checkOnly ? 2 : 3)) {
        std::fprintf(stderr, "usage: kvarsel_doc_html ROOT OUTDIR FILE.md...\n"
                             "       kvarsel_doc_html --check ROOT FILE.md...\n");
        return 2;
    }
    const QDir root(args.takeFirst());
    const QString outDir = checkOnly ? QString() : args.takeFirst();

    std::vector<std::unique_ptr<Document>> docs;
    QHash<QString, Document*> byPath;
    for (const QString& file : args) {
        auto doc = std::make_unique<Document>();
        doc->path = QDir::cleanPath(root.relativeFilePath(QFileInfo(file).absoluteFilePath()));
        QFile in(root.filePath(doc->path));
        if (!in.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(in.fileName()), qPrintable(in.errorString()));
            return 1;
        }
        doc->text.setMarkdown(QString::fromUtf8(in.readAll()));
        // The first heading names the document, as a browser's title bar shows it.
        doc->text.setMetaInformation(QTextDocument::DocumentTitle, doc->text.firstBlock().text());
        for (QTextBlock block = doc->text.begin(); block.isValid(); block = block.next()) {
            if (block.blockFormat().headingLevel() == 0)
                continue;
            const QString anchor = anchorOf(block.text());
            doc->anchors.insert(anchor);
            QTextCursor cursor(block);
            cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
            QTextCharFormat named;
            named.setAnchor(true);
            named.setAnchorNames({anchor});
            cursor.mergeCharFormat(named);
        }
        byPath.insert(doc->path, doc.get());
        docs.push_back(std::move(doc));
    }

    QStringList errors;
    for (const auto& doc : docs) {
        const QString dir = QFileInfo(doc->path).path();
        // Changing a fragment's format while walking the fragments would split them
        // under the walk: the new links are set after it.
        struct Relink {
            int position, length;
            QTextCharFormat format;
        };
        std::vector<Relink> relinked;
        // Each link and picture, checked, and a link to another document pointed at its HTML.
        for (QTextBlock block = doc->text.begin(); block.isValid(); block = block.next()) {
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                const QTextFragment fragment = it.fragment();
                QTextCharFormat format = fragment.charFormat();
                const bool picture = format.isImageFormat();
                const QString target = picture ? format.toImageFormat().name() : format.anchorHref();
                if (!isRelative(target))
                    continue;
                const qsizetype hash = target.indexOf(u'#');
                const QString file = hash < 0 ? target : target.left(hash);
                const QString anchor = hash < 0 ? QString() : target.mid(hash + 1);
                const QString resolved = file.isEmpty() ? doc->path : QDir::cleanPath(dir + u'/' + file);
                const Document* linked = byPath.value(resolved);
                if (!QFileInfo(root.filePath(resolved)).isFile()) {
                    fail(errors, *doc,
                         (picture ? QStringLiteral("missing picture ") : QStringLiteral("broken link ")) +
                             target);
                    continue;
                }
                if (!picture && !linked) {
                    fail(errors, *doc,
                         QStringLiteral("link to a file not installed with the documents: ") + target);
                    continue;
                }
                if (picture && !resolved.endsWith(QStringLiteral(".png"))) {
                    fail(errors, *doc, QStringLiteral("picture is not a PNG: ") + target);
                    continue;
                }
                if (!anchor.isEmpty() &&
                    !linked->anchors.contains(QUrl::fromPercentEncoding(anchor.toUtf8()))) {
                    fail(errors, *doc, QStringLiteral("no heading for the anchor ") + target);
                    continue;
                }
                if (!picture && !file.isEmpty()) {
                    QString html = file;
                    html.replace(QRegularExpression(QStringLiteral("\\.md$")), QStringLiteral(".html"));
                    format.setAnchorHref(hash < 0 ? html : html + u'#' + anchor);
                    relinked.push_back({fragment.position(), fragment.length(), format});
                }
            }
        }
        for (const Relink& link : relinked) {
            QTextCursor cursor(&doc->text);
            cursor.setPosition(link.position);
            cursor.setPosition(link.position + link.length, QTextCursor::KeepAnchor);
            cursor.setCharFormat(link.format);
        }
    }
    for (const QString& error : errors)
        std::fprintf(stderr, "%s\n", qPrintable(error));
    if (!errors.isEmpty())
        return 1;
    if (checkOnly) {
        std::printf("%zu documents: every link and picture holds\n", docs.size());
        return 0;
    }

    for (const auto& doc : docs) {
        QString name = doc->path;
        name.replace(QRegularExpression(QStringLiteral("\\.md$")), QStringLiteral(".html"));
        const QString outPath = QDir(outDir).filePath(name);
        QDir().mkpath(QFileInfo(outPath).path());
        QFile out(outPath);
        const QByteArray html = doc->text.toHtml().toUtf8();
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(html) != html.size() ||
            !out.flush()) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(outPath), qPrintable(out.errorString()));
            return 1;
        }
    }
    return 0;
}

// Renders a Markdown file to HTML with Qt's own Markdown reader, at build time:
// the program's documentation as it is installed with it.
//   kvarsel_readme_html README.md README.html
#include <QFile>
#include <QGuiApplication>
#include <QTextBlock>
#include <QTextDocument>

#include <cstdio>

int main(int argc, char* argv[])
{
    // Fonts (the paragraphs' spacing depends on the default one) need a platform; a
    // build has no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: kvarsel_readme_html INPUT.md OUTPUT.html\n");
        return 2;
    }
    QFile in(args[1]);
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(args[1]), qPrintable(in.errorString()));
        return 1;
    }
    QTextDocument document;
    document.setMarkdown(QString::fromUtf8(in.readAll()));
    // The first heading names the document, as a browser's title bar shows it.
    document.setMetaInformation(QTextDocument::DocumentTitle, document.firstBlock().text());
    QFile out(args[2]);
    const QByteArray html = document.toHtml().toUtf8();
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(html) != html.size() ||
        !out.flush()) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(args[2]), qPrintable(out.errorString()));
        return 1;
    }
    return 0;
}

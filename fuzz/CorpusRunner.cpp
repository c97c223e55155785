// Runs a fuzz target over every file of its corpus directories once: the
// checked-in corpus becomes a regression test without libFuzzer.
#include <QByteArray>
#include <QDirIterator>
#include <QFile>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char* argv[])
{
    int passed = 0;
    for (int i = 1; i < argc; ++i) {
        QDirIterator it(QString::fromLocal8Bit(argv[i]), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile f(it.next());
            if (!f.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "cannot read %s\n", qPrintable(f.fileName()));
                return 1;
            }
            const QByteArray bytes = f.readAll();
            LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
            ++passed; // a failing input aborts the process
        }
    }
    if (passed == 0) {
        std::fprintf(stderr, "no corpus files found\n");
        return 1;
    }
    std::printf("%d passed, 0 failed\n", passed);
    return 0;
}

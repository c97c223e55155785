#pragma once
// The benchmark workload, shared by the benchmark programs: a resource directory
// of 30,000 lines per kind, three 250,000-entry dictionaries d0.dic, d1.dic,
// d2.dic and a 250,000-entry user dictionary, under root/res and root/work.

#include <QString>
#include <QStringList>

namespace kvarsel::bench {

inline constexpr int kLinesPerKind = 30000;
inline constexpr int kFilesPerKind = 10;
inline constexpr int kDictionaryEntries = 250000;
inline constexpr int kPhrases = 120000; // distinct phrases the scripts use; the dictionaries know the even ones

QString phrase(int n);
QString russian(int n);
// Writes the lines in Windows-1251, ending the program on failure.
void writeFile(const QString& path, const QStringList& lines);
void generate(const QString& root);

} // namespace kvarsel::bench

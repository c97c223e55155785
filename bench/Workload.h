#pragma once
// The benchmark workload, shared by the benchmark programs: a resource directory
// of 30,000 lines per kind, three 250,000-entry dictionaries d0.dic, d1.dic,
// d2.dic and a 250,000-entry user dictionary, under root/res and root/work.

#include <QString>
#include <QStringList>

namespace kvarsel::bench {

inline constexpr int kFilesPerKind = 10;
// The workload's counts, at size 1 until scaleWorkload changes them.
extern int linesPerKind;
extern int dictionaryEntries;
extern int phraseCount; // distinct phrases the scripts use; the dictionaries know the even ones

// Scales every count by `size` (the comparison mode's sizes).
void scaleWorkload(double size);

QString phrase(int n);
QString russian(int n);
// Writes the lines in Windows-1251, ending the program on failure.
void writeFile(const QString& path, const QStringList& lines);
void generate(const QString& root);

} // namespace kvarsel::bench

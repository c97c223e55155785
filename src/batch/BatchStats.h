#pragma once
// kvarsel-batch stats: what a resource directory holds, kind by kind.

#include "batch/BatchCommand.h"
#include "batch/BatchConsole.h"
#include "text/Encoding.h"
#include "workspace/ResourceLoader.h"

#include <array>

namespace kvarsel {

struct KindCounts {
    qsizetype files = 0;      // scripts loaded (marker rows)
    qsizetype lines = 0;      // script lines, markers not counted
    qsizetype texts = 0;      // rows with a text: what translation looks at
    qsizetype russian = 0;    // texts whose first character is non-ASCII; the lookup skips them
    qsizetype exportable = 0; // texts the deferred-translation export would collect
    std::array<qsizetype, kEncodingCount> encodings{}; // scripts per encoding (encodingIndex)
};

struct ResourceStats {
    std::array<KindCounts, kKindCount> kinds{};
    qsizetype exportPhrases = 0; // lines DepTrans.txt would get, repeats removed

    KindCounts total() const;
};

ResourceStats countResources(const ConstLineStores& stores);

// Files, lines, texts and Russian texts, and the scripts of each kind per encoding:
// what `translate` reports, without the export's scan.
ResourceStats countLoaded(const ConstLineStores& stores);

// The table the command prints: a header, one line per kind, the totals, the
// scripts of each kind per encoding, then the number of phrases for the
// deferred-translation file.
QStringList formatStats(const ResourceStats& stats);

// "Кодировки сценариев:", then a header and one line per kind and the totals, a
// column per encoding: how many scripts were read in it. Shared by stats and translate.
QStringList formatEncodings(const ResourceStats& stats);

int runStats(const BatchCommand& command, BatchConsole& console);

} // namespace kvarsel

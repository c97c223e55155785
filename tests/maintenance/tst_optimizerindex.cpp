// The duplicate search through its index against the plain row walk: the same
// user's answers on the same dictionaries must leave the same dictionary and show
// the same groups and reports on the way.
#include "maintenance/OptimizerSession.h"

#include <QRandomGenerator>
#include <QTest>

using namespace kvarsel;

namespace {

QStringList generated(QRandomGenerator& rng)
{
    const QStringList sources{"Open",    "open ", "OPEN",      "Open file", "Open files", "Save", "save",
                              "Save as", "Print", "&Print...", "Level 2",   "Файл",       "Exit", "Exit now"};
    const QStringList translations{"Открыть", "открыть", "Раскрыть", "Сохранить", "Печать",
                                   "Уровень", "Выход",   "File",     "",          "Документ"};
    QStringList rows{QString(), QString()};
    const int entries = rng.bounded(5, 160);
    for (int e = 0; e < entries; ++e)
        rows << sources[rng.bounded(sources.size())] << translations[rng.bounded(translations.size())];
    if (rng.bounded(3) == 0) // a broken pairing shifts the rest
        rows.insert(rng.bounded(2, int(rows.size())), sources[rng.bounded(sources.size())]);
    return rows;
}

// Plays one user's session and records what was shown on the way.
QStringList play(QStringList rows, quint32 seed, bool indexed)
{
    OptimizerSession::setIndexedSearchForTesting(indexed);
    CurrentDictionary d;
    d.Assign(rows);
    OptimizerSession session(d);
    QRandomGenerator rng(seed);
    QStringList log;
    const auto note = [&](const QString& what) {
        log << what + u'|' + session.phrase() + u'|' + session.listRows().join(u'/') + u'|' +
                   QString::number(session.entryRow()) + u'|' + QString::number(session.checkRow());
    };
    for (int step = 0; step < 60; ++step) {
        std::optional<OptimizerFailure> failure;
        switch (session.pending()) {
        case OptimizerSession::Pending::Choice:
            if (rng.bounded(3) == 0) {
                session.setNewValue(QStringLiteral("Новое"));
                failure = session.useNewValue();
            } else {
                session.setSelected(rng.bounded(-1, int(session.listRows().size())));
                failure = session.useSelected();
            }
            break;
        case OptimizerSession::Pending::Repair:
            switch (rng.bounded(3)) {
            case 0:
                session.deleteRow();
                break;
            case 1:
                session.setRepairText(QStringLiteral("Исправлено"));
                session.changeRow();
                break;
            default:
                session.skipRow();
                break;
            }
            break;
        case OptimizerSession::Pending::None:
            if (rng.bounded(4) == 0)
                session.checkForErrors();
            else if (rng.bounded(6) == 0)
                session.exit();
            else
                failure = session.continueOptimization();
            break;
        }
        note(failure ? failure->description : QString::number(int(session.pending())));
    }
    session.exit();
    log << d.rows().join(u'/');
    OptimizerSession::setIndexedSearchForTesting(true);
    return log;
}

} // namespace

class OptimizerIndexTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sameSessionsAsTheWalk()
    {
        QRandomGenerator rng(31);
        int choices = 0, repairs = 0;
        for (int round = 0; round < 150; ++round) {
            const QStringList rows = generated(rng);
            const quint32 seed = rng.generate();
            const QStringList log = play(rows, seed, true);
            QCOMPARE(log, play(rows, seed, false));
            for (const QString& line : log) {
                choices += line.startsWith(QStringLiteral("1|"));
                repairs += line.startsWith(QStringLiteral("2|"));
            }
        }
        // Both kinds of pending answer were exercised many times.
        QVERIFY2(choices > 200 && repairs > 200,
                 qPrintable(QStringLiteral("%1 %2").arg(choices).arg(repairs)));
    }
};

QTEST_GUILESS_MAIN(OptimizerIndexTest)
#include "tst_optimizerindex.moc"

#pragma once
// tavik-batch number: draws serial numbers for one serial-number item, in path order, for the
// documents whose field is empty, through the counter store the configuration selects. A number is
// recorded as pending in the settings store before its document is written, so that a run stopped
// in between hands the same number to that document when it is run again: no document is ever
// given two numbers.

#include "batch/batch_configuration.h"

#include <QStringList>

namespace tavik {

class CounterStore;
class Progress;
class Prompts;
class SettingsStore;

struct NumberRequest {
    QString tag; // the serial-number item's CPTag
    QStringList paths;
    bool create = false; // start a counter that does not exist yet
};

struct NumberOutcome {
    qint64 documents = 0;
    qint64 numbered = 0;
    qint64 alreadyNumbered = 0;
    QStringList problems;
};

// The levels of doc a serial item's number goes to: the document unless the item lives only in
// configurations; the configurations too when it lives only there or is the same for all.
QStringList numberLevels(const CPItem &item, const QStringList &configurations);

NumberOutcome numberDocuments(const BatchConfiguration &config, const CPItem &item, const NumberRequest &request,
    CounterStore &counters, SettingsStore &settings, Prompts &prompts, Progress &progress, QString &documentTitle);

} // namespace tavik

#pragma once
// Mistakes in a configuration that loads but makes the editor quietly do the wrong thing: names
// that name nothing, a prototype that checks nothing, a CPTag given twice, and the like. Each
// warning gives the line, the name involved and how to fix it.

#include <QString>
#include <QStringList>
#include <functional>

namespace tavik {

struct ConfigurationWarning {
    long line = 0;
    QString text;
};

// Whether a system value of that name exists (the system read service knows it).
using SystemValueKnown = std::function<bool(const QString &name)>;

// The warnings for the configuration file at path, in file order; none when it cannot be parsed
// (the load reports that).
std::vector<ConfigurationWarning> configurationWarnings(const QString &path, const SystemValueKnown &known);

} // namespace tavik

#pragma once
// What the configsSelect dialog needs of the editor it copies into: its window (the dialog's
// parent and font), the run's state and prompts, its error report, and the fill of its empty
// fields from one level of another document. The editor implements it; the dialog sees no more.

#include <QString>

class QWidget;

namespace sw {
class ModelDoc2;
}

namespace tavik {

struct SharedState;
class Prompts;
class RuntimeError;

class CopyTarget {
public:
    virtual ~CopyTarget() = default;
    virtual QWidget &parentWindow() = 0;
    virtual SharedState &state() = 0;
    virtual Prompts &prompts() = 0;
    virtual void reportError(const RuntimeError &error) = 0;
    virtual void loadFromDoc(sw::ModelDoc2 *source, const QString &configuration) = 0;
};

} // namespace tavik

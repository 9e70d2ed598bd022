#pragma once
// The configuration file loader: reads Tavik.xsd and Tavik.xml from the add-in's folder, validates
// the configuration against the schema and builds the property configuration model and the
// settings from it.

#include "config/layout_limits.h"
#include "config/shared_state.h"

#include <QString>
#include <functional>
#include <memory>

namespace tavik {

class XmlSchemaCache;

// The system read service: the current text of a named system value.
using SystemValueReader = std::function<QString(const QString &name)>;

// True when the model was built. False with errorMessage and errorTitle set when a file is missing,
// does not parse or validate, or holds something the model cannot take; whatever part of the model
// was built by then stays in place. readSystemValue is asked once per "systemRead" item.
// A settings element's operation="remote" sets remoteOperation True (serial numbers from the
// numbering server named by serverName and serverPort) and any other operation value False;
// operationLabel then reads " [remote/ serverName:serverPort]" or " [local]".
bool loadConfiguration(SharedState &state, const SystemValueReader &readSystemValue);

// The same load for the editor, which also stops at the first frame after which the form read so
// far passes a limit of the editor's layout for the document alone, the least it lays out for any
// document: a file the editor would refuse is refused without reading the rest of it. The
// message is the editor's for a form past its limits, and loadStage that limit's stage.
bool loadConfigurationForEditor(
    SharedState &state, const SystemValueReader &readSystemValue, int layoutLimit = LayoutCounterLimit);

// Where and why the walk of a valid document failed, for a checker that explains more than the
// editor's "Unknown error in parsing..." message.
struct LoadFailureDetail {
    long line = 0;
    QString cause;
};
// The same load; when the walk fails, detail (if given) says where and why.
bool loadConfiguration(SharedState &state, const SystemValueReader &readSystemValue, LoadFailureDetail *detail);

// How the file is read: a frame at a time where that gives what reading it whole gives, which is
// every load's way; or whole, to compare the two.
enum class ConfigurationRead { Streamed, Whole };

// The same load of the configuration file at configPath, validated against schemas compiled
// beforehand from Tavik.xsd, for a caller that loads many configurations against one schema (a
// fuzzer, a benchmark). Missing-file and schema stages are the caller's.
bool loadConfigurationAgainst(SharedState &state, const SystemValueReader &readSystemValue,
    std::shared_ptr<const XmlSchemaCache> schemas, const QString &configPath, LoadFailureDetail *detail = nullptr,
    ConfigurationRead read = ConfigurationRead::Streamed);

} // namespace tavik

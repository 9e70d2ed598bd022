#pragma once
// What tavik-check does: loads a configuration folder as the editor would at the start of a run
// (loader, then composite and list resolution), with a document of the bundled host as the active
// document for system values, and reports the outcome as the program prints it.

#include <QString>

namespace tavik {

struct ConfigurationCheckResult {
    int exitCode = 1;   // 0 loaded, 1 the configuration failed, 2 the document could not be opened
    QString output;     // for standard output
    QString errors;     // for standard error
};

struct ConfigurationCheck {
    QString folder;         // holds Tavik.xml and Tavik.xsd
    QString documentPath;   // "" for a new part that was never saved
    bool json = false;      // print the model after "OK"

    // Success: "OK\n", then the model as indented JSON when asked for. Failure: "Tavik: " + the
    // title on the first line and the message after it, line breaks as the editor shows them.
    ConfigurationCheckResult run() const;
};

} // namespace tavik

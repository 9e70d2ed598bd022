#pragma once
// What tavik-check does: loads a configuration folder as the editor would at the start of a run
// (loader, then composite and list resolution, then the limits of the editor's layout for the
// document's configurations), with a document of the bundled host as the active document for
// system values, and reports the outcome as the program prints it, explained further than the
// editor can, with warnings for mistakes that load but do the wrong thing.

#include <QString>

namespace tavik {

struct ConfigurationCheckResult {
    int exitCode = 1; // 0 loaded, 1 the configuration failed (or warned, when strict), 2 the
        // document could not be opened
    QString output; // for standard output
    QString errors; // for standard error: warnings, and what could not be done
};

struct ConfigurationCheck {
    QString folder; // holds Tavik.xml and Tavik.xsd
    QString documentPath; // "" for a new part that was never saved
    bool json = false; // print the model after "OK"
    bool strict = false; // any warning fails the check

    // Success: "OK\n", then the model as indented JSON when asked for; warnings go to errors, as
    // "path:line: warning: text". Failure: "Tavik: " + the title on the first line and the
    // editor's message after it, line breaks as the editor shows them, then lines that say where
    // and why when that can be told.
    ConfigurationCheckResult run() const;
};

} // namespace tavik

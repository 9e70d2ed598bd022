#pragma once
// tavik-host as a whole: the bundled host application with its window, the documents named on
// the command line, the add-in plugin loaded and connected, script mode and the editing of one
// document (--edit).

#include "app/script_parser.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace tavik {

struct HostOptions {
    QString addinPath; // empty: the plugin beside the program, else a registered one
    QString settingsFile; // empty: the user's settings store
    QString scriptFile; // empty: a person works the window
    QStringList documents; // opened in order; the last one is active
    // Not empty: this document alone is opened, the add-in's command runs on it at once, and the
    // program ends when the editor does (EditSession). A script then acts inside that editor.
    QString editFile;
    // For fault sweeps: every host call written to this file as it is made, one a line
    // ("Object.member(args)"), and the host calls (numbered from 1) made to fail.
    QString callLogFile;
    QList<int> failCalls;
};

class HostProgram {
public:
    // The exit status for bad arguments.
    static constexpr int BadArguments = 2;

    explicit HostProgram(HostOptions options);
    // Runs until the window closes or the script ends; the exit status.
    int run();

private:
    // Reads and checks the whole script; the exit status when it cannot run.
    std::optional<int> readScript(std::vector<ScriptLine> &lines) const;

    HostOptions m_options;
};

} // namespace tavik

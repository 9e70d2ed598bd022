#pragma once
// The folder a test program keeps its scratch files in: TAVIK_TEST_TMP as CTest sets it (created
// when missing), else the system's temporary folder.

#include <QDir>
#include <QString>

inline QString scratchBase()
{
    const QString path = qEnvironmentVariable("TAVIK_TEST_TMP", QDir::tempPath());
    QDir().mkpath(path);
    return path;
}

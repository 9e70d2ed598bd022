#pragma once
// A scratch folder for a configuration under test, in $TAVIK_TEST_TMP, kept when the test fails.

#include "scratch_base.h"

class CheckFolder : public ScratchTest {
protected:
    CheckFolder()
        : ScratchTest(QStringLiteral("check"))
    {
    }

    // The shipped schema, with the given configuration beside it.
    void useConfiguration(const QByteArray &xml)
    {
        write(QStringLiteral("Tavik.xsd"), readFile(QStringLiteral(TAVIK_SOURCE_DIR "/data/Tavik.xsd")));
        write(QStringLiteral("Tavik.xml"), xml);
    }
};

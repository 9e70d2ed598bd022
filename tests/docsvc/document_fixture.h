#pragma once
// A bundled host whose documents are files in a scratch folder (kept when a test fails).

#include "config/shared_state.h"
#include "host/host_fixture.h"

class DocumentFixture : public HostFixture {
protected:
    DocumentFixture()
        : HostFixture(QStringLiteral("docsvc"))
    {
    }

    void SetUp() override
    {
        HostFixture::SetUp();
        state.swApp = app;
    }
    tavik::HostCalls &calls() { return *app->calls(); }

    tavik::SharedState state;
};

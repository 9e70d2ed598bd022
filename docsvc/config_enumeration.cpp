#include "docsvc/config_enumeration.h"

#include "config/exiting_failure.h"
#include "config/shared_state.h"
#include "docsvc/active_document.h"
#include "platform/runtime_error.h"

namespace tavik {

bool doConfigs(SharedState &state, QStringList &configsList)
{
    try {
        state.activeConfigIndex = 0;
        const auto doc = activeDocument(state);
        const QString title = doc->GetTitle();
        configsList.append(QLatin1Char('<') + title.section(QLatin1Char('.'), 0, 0) + QLatin1Char('>'));

        const int count = doc->GetConfigurationCount();
        const QStringList names = doc->GetConfigurationNames();
        for (int i = 0; i < count; ++i) {
            if (i >= names.size())
                throw RuntimeError(err::SubscriptRange, errorDescription(err::SubscriptRange));
            if (i + 1 > INT16_MAX)
                throw RuntimeError(err::Overflow, errorDescription(err::Overflow));
            configsList.append(names[i]);
            // Asked anew for every configuration. A document without an active configuration
            // simply matches none of them.
            const auto active = doc->GetActiveConfiguration();
            if (active && names[i] == active->Name())
                state.activeConfigIndex = static_cast<int16_t>(i + 1);
        }
        return true;
    } catch (const std::exception &e) {
        recordExitingFailure(state, QStringLiteral("doConfigs"), e);
        return false;
    }
}

} // namespace tavik

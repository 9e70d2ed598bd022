#include "docsvc/active_document.h"

#include "config/shared_state.h"

namespace tavik {

std::shared_ptr<sw::ModelDoc2> activeDocument(const SharedState &state)
{
    return required(required(state.swApp)->ActiveDoc());
}

} // namespace tavik

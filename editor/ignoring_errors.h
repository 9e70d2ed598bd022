#pragma once
// One step of a larger operation whose failure does not stop the others: a field of a loop over
// many fields, a slot of a copy into every slot. The error is dropped here, in one place.

#include <exception>
#include <utility>

namespace tavik {

template <typename Step>
void ignoringErrors(Step &&step) noexcept
{
    try {
        std::forward<Step>(step)();
    } catch (const std::exception &) {
    }
}

} // namespace tavik

#pragma once
// One step of a larger operation whose failure does not stop the others: a field of a loop over
// many fields, a slot of a copy into every slot, the clean-up after a failed connection. The error
// is dropped here, in one place. An error of type Kept is not dropped: it ends the whole
// operation (a settings store that fails, for one).

#include <type_traits>
#include <utility>

namespace tavik {

template <typename Kept = void, typename Step>
void ignoringErrors(Step &&step) noexcept(std::is_void_v<Kept>)
{
    try {
        std::forward<Step>(step)();
    } catch (...) {
        if constexpr (!std::is_void_v<Kept>) {
            try {
                throw;
            } catch (const Kept &) {
                throw;
            } catch (...) {
            }
        }
    }
}

} // namespace tavik

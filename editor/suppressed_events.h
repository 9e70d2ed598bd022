#pragma once
// Holds the editor's field and navigation handlers still while the program itself fills fields,
// and restores the flag as it was however the work ends.

#include "editor/m.h"

namespace tavik {

class SuppressedEvents {
public:
    explicit SuppressedEvents(FormState &form)
        : m_form(form)
        , m_was(form.suppressEvents)
    {
        form.suppressEvents = true;
    }
    ~SuppressedEvents() { m_form.suppressEvents = m_was; }
    SuppressedEvents(const SuppressedEvents &) = delete;
    SuppressedEvents &operator=(const SuppressedEvents &) = delete;

private:
    FormState &m_form;
    bool m_was;
};

} // namespace tavik

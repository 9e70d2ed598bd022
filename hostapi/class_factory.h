#pragma once
// What the add-in plugin hands out through its exports, and the exports' names and result codes:
// the host program includes this header, resolves the exports by name and asks the class object
// for the add-in.

#include "hostapi/addin_interface.h"

#include <QString>
#include <memory>

namespace tavik {

class Prompts;

// The class identifier of the add-in.
inline constexpr char TavikClassId[] = "{7A3E5C21-4B8D-4F1A-9C62-1D5E8B7A0F34}";

// Result codes of the exports, with their usual values.
namespace hr {
constexpr long Ok = 0; // S_OK
constexpr long False = 1; // S_FALSE
constexpr long Unexpected = long(0x8000FFFFu); // E_UNEXPECTED
constexpr long InvalidArg = long(0x80070057u); // E_INVALIDARG
constexpr long ClassNotAvailable = long(0x80040111u); // CLASS_E_CLASSNOTAVAILABLE
constexpr long SelfRegClass = long(0x80040201u); // SELFREG_E_CLASS
} // namespace hr

// The class object of the add-in. The host gives it its prompts; the add-in finds its own
// folder (where Tavik.xml and Tavik.xsd lie) itself unless the host names one.
class ClassFactory {
public:
    virtual ~ClassFactory() = default;
    // Nothing when the add-in could not be made.
    virtual std::unique_ptr<sw::SwAddin> CreateInstance(Prompts &prompts, const QString &addinFolder = {}) = 0;
    virtual void LockServer(bool lock) = 0;
};

// The exports, as the host resolves them.
using DllRegisterServerFn = long (*)();
using DllUnregisterServerFn = long (*)();
using DllGetClassObjectFn = long (*)(const char *classId, ClassFactory **factory);
using DllCanUnloadNowFn = long (*)();

} // namespace tavik

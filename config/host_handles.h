#pragma once
// The host objects a run of the add-in works on: the application, the add-in's attribute
// definition, the open document's attribute, and the document the editor reads and writes.

#include <memory>

namespace sw {
class SldWorks;
class AttributeDef;
class Attribute;
class ModelDoc2;
} // namespace sw

namespace tavik {

struct HostHandles {
    std::shared_ptr<sw::SldWorks> swApp;
    std::shared_ptr<sw::AttributeDef> attributeDef;
    std::shared_ptr<sw::Attribute> attribute;
    std::shared_ptr<sw::ModelDoc2> swModel;
};

} // namespace tavik

#include "render/materials.h"

namespace Quarn::Materials {

MaterialBase::MaterialBase(int material_kind, const std::string& name)
    : material_kind(material_kind), name(name) {}

MaterialBase::~MaterialBase() {
    for (auto& [item, owned] : items) {
        if (owned)
            delete item;
    }
}

Material2D::Material2D(const std::string& name) : MaterialBase(0, name) {}

Material2D::~Material2D() = default;

}  // namespace Quarn::Materials

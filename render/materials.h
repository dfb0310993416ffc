#pragma once

#include <string>
#include <utility>
#include <vector>

#include "math/matrix.h"

namespace Quarn::Materials {

// Anything a material may carry along; owned items are deleted with the material.
class ItemBase {
public:
    virtual ~ItemBase() = default;
};

// Surface data an object keeps under a name; the field names match the GLSL material structures.
class MaterialBase {
public:
    MaterialBase(int material_kind, const std::string& name);
    virtual ~MaterialBase();

    MaterialBase(const MaterialBase&) = delete;
    MaterialBase& operator=(const MaterialBase&) = delete;

    int material_kind;
    std::string name;
    Vec3f ambient{0.0f, 0.0f, 0.0f};
    Vec3f refl_diff{1.0f, 1.0f, 1.0f};
    Vec3f refl_spec{1.0f, 1.0f, 1.0f};
    float refl_exp = 128.0f;
    // Each item with whether this material owns it.
    std::vector<std::pair<ItemBase*, bool>> items;
};

class Material2D : public MaterialBase {
public:
    explicit Material2D(const std::string& name);
    ~Material2D() override;

    bool two_sided = false;
};

}  // namespace Quarn::Materials

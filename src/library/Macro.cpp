#include "library/Macro.h"

#include <utility>

CMacro::CMacro() { description.clear(); }

CMacro::~CMacro() = default;

void CMacro::AssignFrom(const CMacro& other) {
    if (this == &other)
        return;
    const int32_t keepEligible = eligible;
    const int32_t keepParentId = parentId;
    MacroExtras keepExtras = std::move(extras);
    *this = other;
    extras = std::move(keepExtras);
    eligible = keepEligible;
    parentId = keepParentId;
}

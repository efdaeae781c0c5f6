#include "library/Macro.h"

CMacro::CMacro() { description.clear(); }

CMacro::~CMacro() = default;

void CMacro::AssignFrom(const CMacro& other) {
    if (this == &other)
        return;
    const int32_t keepEligible = eligible;
    const int32_t keepParentId = parentId;
    *this = other;
    eligible = keepEligible;
    parentId = keepParentId;
}

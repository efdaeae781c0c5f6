#pragma once
// Small helpers shared by the GoogleTest suites.

#include <gtest/gtest.h>

#include <string>

// Names a parameterised case after its `label` field.
struct LabelName {
    template <class Param>
    std::string operator()(const ::testing::TestParamInfo<Param>& param) const {
        return param.param.label;
    }
};

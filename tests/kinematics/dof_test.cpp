#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "kinematics/joint.h"
#include "kinematics/random.h"
#include "tests/support/warn_recorder.h"

namespace {

using Sinew::JointBase;

struct ConstrainCase {
    const char* name;
    bool slide;
    float value;
    bool limited;
    float low;
    float high;
    float expected;
    bool disabled = false;
};

void PrintTo(const ConstrainCase& c, std::ostream* os) {
    *os << c.name;
}

class ConstrainTest : public ::testing::TestWithParam<ConstrainCase> {};

// Remainder and clamp do not round, so every result is exact.
TEST_P(ConstrainTest, WrapsThenClampsBothValuesOfAnEnabledOne) {
    const ConstrainCase& c = GetParam();
    JointBase::DOFAngleX angle;
    JointBase::DOFSlide slide;
    JointBase::DOFBase& dof = c.slide ? static_cast<JointBase::DOFBase&>(slide) : angle;
    dof.enabled = !c.disabled;
    if (c.limited) {
        dof.set_limits(c.low, c.high);
    }
    dof.value_shown = c.value;
    dof.value_solved = c.value;

    dof.constrain();

    EXPECT_EQ(dof.value_shown, c.expected);
    EXPECT_EQ(dof.value_solved, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ConstrainTest,
    ::testing::Values(ConstrainCase{"Wrap370", false, 370, false, 0, 0, 10},
                      ConstrainCase{"WrapMinus370", false, -370, false, 0, 0, -10},
                      ConstrainCase{"Wrap360", false, 360, false, 0, 0, 0},
                      ConstrainCase{"Minus180Stays", false, -180, false, 0, 0, -180},
                      ConstrainCase{"Wrap725Point5", false, 725.5f, false, 0, 0, 5.5f},
                      ConstrainCase{"Limited350ClampsHigh", false, 350, true, -90, 90, 90},
                      ConstrainCase{"LimitedMinus350ClampsLow", false, -350, true, -90, 90, -90},
                      ConstrainCase{"LimitedInside", false, 45, true, -90, 90, 45},
                      ConstrainCase{"LimitedWrapsBeforeClamping", false, 370, true, -90, 90, 10},
                      ConstrainCase{"HingeBelowZero", false, -30, true, 0, 150, 0},
                      ConstrainCase{"HingeAbove", false, 200, true, 0, 150, 150},
                      ConstrainCase{"HingeWrapThenClamp", false, 510, true, 0, 150, 150},
                      ConstrainCase{"SlideNeverWraps", true, 370, false, 0, 0, 370},
                      ConstrainCase{"SlideClampsHigh", true, 2, true, -0.5f, 0.5f, 0.5f},
                      ConstrainCase{"SlideClampsLow", true, -2, true, -0.5f, 0.5f, -0.5f},
                      ConstrainCase{"SlideLimitedNoWrap", true, 370, true, 0, 400, 370},
                      // Limits on a degree of freedom the joint does not use never act.
                      ConstrainCase{"DisabledAngleUntouched", false, 370, true, -90, 90, 370, true},
                      ConstrainCase{"DisabledSlideUntouched", true, 2, true, -0.5f, 0.5f, 2, true}),
    [](const ::testing::TestParamInfo<ConstrainCase>& info) { return info.param.name; });

TEST(Constrain, InvertedLimitsReportAndStillAnswer) {
    JointBase::DOFAngleZ dof;
    dof.enabled = true;
    dof.set_limits(5, 1);
    dof.value_shown = 3;   // below low: low wins
    dof.value_solved = 7;  // not below low, above high: high wins

    WarnRecorder rec;
    dof.constrain();

    const std::string bound = "Upper bound must not be lower than the lower bound!";
    EXPECT_EQ(rec.failures(), (std::vector<std::string>{bound, bound}));
    EXPECT_EQ(dof.value_shown, 5.0f);
    EXPECT_EQ(dof.value_solved, 1.0f);
}

TEST(SetLimits, DisabledReportsButStoresWithoutClamping) {
    JointBase::DOFAngleY dof;
    dof.value_solved = 100;

    WarnRecorder rec;
    dof.set_limits(-10, 10);

    EXPECT_EQ(rec.failures(),
              (std::vector<std::string>{"Setting constraint is meaningless; this joint does not "
                                        "support this degree of freedom!"}));
    EXPECT_TRUE(dof.limited);
    EXPECT_EQ(dof.limit_low, -10.0f);
    EXPECT_EQ(dof.limit_high, 10.0f);
    EXPECT_EQ(dof.value_solved, 100.0f);
}

TEST(SetLimits, EnabledIsSilentAndSecondCallReplaces) {
    JointBase::DOFAngleX dof;
    dof.enabled = true;

    WarnRecorder rec;
    dof.set_limits(-10, 10);
    dof.set_limits(0, 150);

    EXPECT_TRUE(rec.failures().empty());
    EXPECT_EQ(dof.limit_low, 0.0f);
    EXPECT_EQ(dof.limit_high, 150.0f);
}

struct UpdateShownCase {
    const char* name;
    bool enabled;
    float shown;
    float solved;
    float t;
    float expected_shown;
};

void PrintTo(const UpdateShownCase& c, std::ostream* os) {
    *os << c.name;
}

class UpdateShownTest : public ::testing::TestWithParam<UpdateShownCase> {};

TEST_P(UpdateShownTest, MovesShownTowardSolved) {
    const UpdateShownCase& c = GetParam();
    JointBase::DOFAngleX dof;
    dof.enabled = c.enabled;
    dof.value_shown = c.shown;
    dof.value_solved = c.solved;

    dof.update_shown(c.t);

    EXPECT_NEAR(dof.value_shown, c.expected_shown, 1e-6f);
    EXPECT_EQ(dof.value_solved, c.solved);
}

INSTANTIATE_TEST_SUITE_P(
    Table, UpdateShownTest,
    ::testing::Values(UpdateShownCase{"Full", true, 10, 40, 1.0f, 40},
                      UpdateShownCase{"Half", true, 10, 40, 0.5f, 25},
                      UpdateShownCase{"None", true, 10, 40, 0.0f, 10},
                      UpdateShownCase{"Disabled", false, 10, 40, 1.0f, 10},
                      // 3e7 + (0.3 - 3e7) rounds to 0 in single precision.
                      UpdateShownCase{"FullIsExactAcrossAWideGap", true, 3e7f, 0.3f, 1.0f, 0.3f}),
    [](const ::testing::TestParamInfo<UpdateShownCase>& info) { return info.param.name; });

TEST(DOFRandomize, DisabledDrawsNothing) {
    JointBase::DOFAngleX dof;
    dof.value_shown = 7;
    dof.value_solved = 8;
    const std::mt19937 before = Sinew::random_engine();

    dof.randomize();

    EXPECT_TRUE(Sinew::random_engine() == before);
    EXPECT_EQ(dof.value_shown, 7.0f);
    EXPECT_EQ(dof.value_solved, 8.0f);
}

TEST(DOFRandomize, SetsBothValuesThenConstrains) {
    JointBase::DOFAngleX dof;
    dof.enabled = true;
    dof.set_limits(-1, 1);
    std::mt19937 expected_engine = Sinew::random_engine();
    const float u = static_cast<float>(expected_engine()) / 4294967296.0f;
    const float drawn = u * 360.0f - 180.0f;

    dof.randomize();

    const float expected = drawn < -1 ? -1.0f : (drawn > 1 ? 1.0f : drawn);
    EXPECT_NEAR(dof.value_solved, expected, 1e-5f);
    EXPECT_EQ(dof.value_shown, dof.value_solved);
}

}  // namespace

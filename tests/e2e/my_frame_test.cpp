// The demo window's handlers, fed through the real window procedure inside
// the test process, where the solver's state can be seen.

#include "app/my_frame.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "app/arm.h"
#include "app/demo.h"
#include "windowing/input/window_procedure.h"
#include "windowing/orv.h"

namespace {

Platform::LParam at(int x, int y) {
    return static_cast<Platform::LParam>(
        static_cast<std::uint16_t>(x) |
        (static_cast<std::uint32_t>(static_cast<std::uint16_t>(y)) << 16));
}

Platform::WParam wheel(int notches) {
    return static_cast<Platform::WParam>(static_cast<std::uint16_t>(notches * 120)) << 16;
}

std::vector<float> joint_values() {
    std::vector<float> values;
    for (Sinew::JointBase* joint : arm->joints)
        joint->for_each_dof([&](const auto& dof) { values.push_back(dof.value_solved); });
    return values;
}

class MyFrameTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        demo = new Demo(start_demo());
        frame = demo->frame;
    }

    static void TearDownTestSuite() {
        stop_demo(*demo);
        delete demo;
        demo = nullptr;
        frame = nullptr;
    }

    void SetUp() override {
        build_arm();
        running = true;
        camera_angles = Matrix<float, 2, 1>(20.0f, 20.0f);
        camera_distance = 4.0f;
        send(Platform::WM_SIZE, Platform::SIZE_RESTORED, at(1024, 768));
    }

    static void send(std::uint32_t message, Platform::WParam first, Platform::LParam second) {
        Orv::Input::window_procedure(frame->native_window->window, message, first, second);
    }

    static void converge() {
        for (int i = 0; i < 100; ++i)
            update_arm();
        ASSERT_EQ(iterations_spent, 0) << "the start goal is reached";
    }

    static Demo* demo;
    static MyFrame* frame;
};

Demo* MyFrameTest::demo = nullptr;
MyFrame* MyFrameTest::frame = nullptr;

TEST_F(MyFrameTest, StartCameraSitsWhereItsAnglesAndDistancePutIt) {
    Vec3f eye = frame->camera_position();
    // 4 (cos 20 cos 20, sin 20, sin 20 cos 20)
    EXPECT_NEAR(eye[0], 3.5320889f, 1e-5f);
    EXPECT_NEAR(eye[1], 1.3680806f, 1e-5f);
    EXPECT_NEAR(eye[2], 1.2855752f, 1e-5f);
}

TEST_F(MyFrameTest, KeysQuitStepOrDoNothing) {
    struct Case {
        const char* name;
        int key;
        bool converged_first;
        bool running_after;
        int iterations_after;
        bool arm_moves;
    };
    const Case cases[] = {
        {"Escape", 27, true, false, 0, false},
        {"S, off the goal: one more update", 83, false, true, 10, true},
        {"S, on the goal: nothing", 83, true, true, 0, false},
        {"another key", 68, false, true, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        if (c.converged_first)
            converge();
        else
            effector->goal = Vec3f(-10, 5, -10);  // out of reach
        std::vector<float> before = joint_values();
        send(Platform::WM_KEYDOWN, static_cast<Platform::WParam>(c.key), 1);
        EXPECT_EQ(running, c.running_after);
        EXPECT_EQ(iterations_spent, c.iterations_after);
        EXPECT_EQ(joint_values() != before, c.arm_moves);
    }
}

TEST_F(MyFrameTest, CloseRequestEndsTheLoopButKeepsTheWindow) {
    send(Platform::WM_CLOSE, 0, 0);
    EXPECT_FALSE(running);
    EXPECT_NE(frame->native_window, nullptr);
}

TEST_F(MyFrameTest, RightDragOrbitsOneDegreePerPixelAndTheWheelZooms) {
    send(Platform::WM_MOUSEMOVE, 0, at(300, 300));
    send(Platform::WM_MOUSEMOVE, 0, at(340, 320));
    EXPECT_FLOAT_EQ(camera_angles[0], 20.0f) << "motion without a button";
    EXPECT_FLOAT_EQ(camera_angles[1], 20.0f);

    send(Platform::WM_RBUTTONDOWN, 0, at(340, 320));
    send(Platform::WM_MOUSEMOVE, 0, at(345, 322));
    send(Platform::WM_MOUSEMOVE, 0, at(350, 325));
    send(Platform::WM_RBUTTONUP, 0, at(350, 325));
    send(Platform::WM_MOUSEMOVE, 0, at(400, 400));
    EXPECT_FLOAT_EQ(camera_angles[0], 30.0f);
    EXPECT_FLOAT_EQ(camera_angles[1], 25.0f);

    struct Step {
        int notches;
        float distance;
    };
    // Only the sign of the amount counts; one step each way comes back
    // within single-precision rounding.
    for (const Step& step : {Step{1, 3.6f}, Step{-1, 4.0f}, Step{-3, 4.4444447f}, Step{2, 4.0f}}) {
        send(Platform::WM_MOUSEWHEEL, wheel(step.notches), at(0, 0));
        EXPECT_NEAR(camera_distance, step.distance, 1e-5f) << step.notches << " notches";
    }
}

TEST_F(MyFrameTest, ResizeRebuildsTheTargetAndMinimizingKeepsIt) {
    send(Platform::WM_SIZE, Platform::SIZE_RESTORED, at(640, 480));
    EXPECT_EQ(window_width, 640);
    EXPECT_EQ(window_height, 480);
    ASSERT_NE(frame->fbo, nullptr);
    EXPECT_EQ(frame->fbo->size[0], 640);
    EXPECT_EQ(frame->fbo->size[1], 480);
    frame->redraw(true);

    // A minimized window reports 0 x 0: nothing can be drawn into that.
    send(Platform::WM_SIZE, Platform::SIZE_MINIMIZED, at(0, 0));
    ASSERT_NE(frame->fbo, nullptr);
    EXPECT_EQ(frame->fbo->size[0], 640);
    frame->redraw(true);

    send(Platform::WM_SIZE, Platform::SIZE_RESTORED, at(1, 1));
    EXPECT_EQ(frame->fbo->size[0], 1);
    frame->redraw(true);
}

// The picking plane covers the ground within 5 of the origin; beyond it the
// depth read finds the cleared far plane, and the goal is clamped.
TEST_F(MyFrameTest, DraggingBeyondThePlaneOrOutsideTheWindowKeepsTheGoalInBounds) {
    struct Case {
        const char* name;
        int x;
        int y;
    };
    const Case cases[] = {
        {"sky", 512, 2},
        {"far left of the window", -3000, 300},
        {"below the window", 500, 30000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        send(Platform::WM_MOUSEMOVE, 0, at(c.x, c.y));
        send(Platform::WM_LBUTTONDOWN, 0, at(c.x, c.y));
        frame->redraw(true);
        send(Platform::WM_LBUTTONUP, 0, at(c.x, c.y));
        for (int i = 0; i < 3; ++i) {
            EXPECT_TRUE(std::isfinite(effector->goal[i]));
            EXPECT_GE(effector->goal[i], -10.0f);
            EXPECT_LE(effector->goal[i], 10.0f);
        }
        EXPECT_NE(effector->goal, Vec3f(1, 0, 1)) << "the drag moved the goal";
    }
}

}  // namespace

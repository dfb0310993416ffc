// The real ik-demo program, worked like a user would: through the X server's
// input and judged by what its window shows.

// gtest first: Xlib defines macros (None, Bool) that clash with its names.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <cmath>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "demo_driver.h"

namespace e2e {
namespace {

// Screen positions are predicted from the camera's definition; the demo picks
// and draws on whole pixels, so a few pixels of slack.
constexpr double kPixelTolerance = 3.0;
// The tip and goal discs are about 30 pixels wide; nothing of theirs lies
// farther than this from their centre.
constexpr double kDiscReach = 30.0;
// Solid inside pixels of a disc seen from the start camera number in the
// hundreds; fewer means no disc.
constexpr int kMinDiscPixels = 20;

std::string where(const Blob& b) {
    std::ostringstream text;
    text << b.count << " px centred at (" << b.x << ", " << b.y << ")";
    return text.str();
}

// The tip of the arm (yellow) sits on the goal (orange) at (x, y): the two
// discs coincide, and which one shows is down to the last bit of depth, so
// together they make one disc there, and neither colour shows a disc
// anywhere else.
::testing::AssertionResult tip_on_goal(const Image& image, double x, double y) {
    Blob yellow = solid_blob(image, Hue::yellow);
    Blob yellow_here = solid_blob(image, Hue::yellow, x, y, kDiscReach);
    Blob orange = solid_blob(image, Hue::orange);
    Blob orange_here = solid_blob(image, Hue::orange, x, y, kDiscReach);
    int count = yellow.count + orange.count;
    double cx = count > 0 ? (yellow.x * yellow.count + orange.x * orange.count) / count : 0;
    double cy = count > 0 ? (yellow.y * yellow.count + orange.y * orange.count) / count : 0;
    bool ok = count >= kMinDiscPixels && yellow_here.count == yellow.count &&
              orange_here.count == orange.count && std::hypot(cx - x, cy - y) <= kPixelTolerance;
    if (ok)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "expected the tip on the goal at (" << x << ", " << y << "); yellow " << where(yellow)
           << ", orange " << where(orange) << " (image " << image.width << "x" << image.height
           << ")";
}

// The goal's orange disc is at (x, y), or the tip already covers it there.
// The tip may cover part of it, which moves the centre of what shows.
::testing::AssertionResult goal_at(const Image& image, double x, double y) {
    Blob orange = solid_blob(image, Hue::orange, x, y, kDiscReach);
    if (orange.count >= kMinDiscPixels && std::hypot(orange.x - x, orange.y - y) <= 8.0)
        return ::testing::AssertionSuccess();
    if (tip_on_goal(image, x, y))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "expected the goal at (" << x << ", " << y << "); orange near it " << where(orange)
           << ", yellow " << where(solid_blob(image, Hue::yellow));
}

// One-pixel lines come out of multisampling spread over two pixels at about
// half strength; the hue holds: red twice green, no blue.
bool orange_line_near(const Image& image, double x, double y, int radius) {
    int cx = static_cast<int>(std::lround(x)), cy = static_cast<int>(std::lround(y));
    for (int dy = -radius; dy <= radius; ++dy) {
        for (int dx = -radius; dx <= radius; ++dx) {
            Rgb c = image.at(cx + dx, cy + dy);
            if (c.r >= 60 && std::abs(2 * c.g - c.r) <= c.r / 4 && c.b <= c.r / 8)
                return true;
        }
    }
    return false;
}

struct Pixel {
    double x;
    double y;
};

Pixel project(const Camera& camera, double wx, double wy, double wz) {
    Pixel p;
    camera.project(wx, wy, wz, &p.x, &p.y);
    return p;
}

// Starts the demo and waits until the arm has reached its start goal.
void start_converged(Demo& demo, const Camera& camera = Camera()) {
    demo.start();
    Pixel goal = project(camera, 1, 0, 1);
    ASSERT_TRUE(demo.wait_for([&](const Image& i) { return tip_on_goal(i, goal.x, goal.y); }, 10))
        << tip_on_goal(demo.last, goal.x, goal.y).message();
}

void quit_with_escape(Demo& demo) {
    demo.tap("Escape");
    ASSERT_TRUE(demo.wait_exit(1.0)) << "still running 1 s after Escape";
    EXPECT_EQ(demo.exit_code, 0);
}

// Moves the pointer in equal steps, so that the program sees a drag.
void glide(Demo& demo, Pixel from, Pixel to, int steps) {
    for (int i = 1; i <= steps; ++i) {
        double t = static_cast<double>(i) / steps;
        demo.move(static_cast<int>(std::lround(from.x + (to.x - from.x) * t)),
                  static_cast<int>(std::lround(from.y + (to.y - from.y) * t)));
        sleep_for(0.02);
    }
}

int count_of(const std::string& text, const std::string& part) {
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

// Grid points seen from every camera used below, away from the arm.
const double kGridPoints[][3] = {{-3, 0, 2.5}, {-2.5, 0, -3}, {2, 0, -4}, {-4, 0, 0.5}};

void expect_grid_seen_by(const Image& image, const Camera& camera) {
    for (const auto& p : kGridPoints) {
        Pixel at = project(camera, p[0], p[1], p[2]);
        if (!image.inside(static_cast<int>(at.x), static_cast<int>(at.y)))
            continue;
        EXPECT_TRUE(hue_near(image, Hue::grey, at.x, at.y, 2))
            << "grid point (" << p[0] << ", " << p[2] << ") at az " << camera.azimuth << " el "
            << camera.elevation << " d " << camera.distance << ": "
            << describe_near(image, at.x, at.y, 2);
    }
}

TEST(Demo, WithoutADisplayItSaysSoOnOneLineAndFails) {
    struct Case {
        const char* name;
        std::vector<std::string> unset;
        std::vector<std::string> set;
    };
    const Case cases[] = {
        {"DISPLAY unset", {"DISPLAY"}, {}},
        {"DISPLAY names no server", {}, {"DISPLAY=:4711"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string out, err;
        int code = run_to_exit(c.unset, c.set, 20, &out, &err);
        EXPECT_GT(code, 0) << "exit status (negative: signal or time-out)";
        EXPECT_EQ(out, "");
        ASSERT_FALSE(err.empty());
        EXPECT_EQ(count_of(err, "\n"), 1) << err;
        EXPECT_EQ(err.back(), '\n') << err;
        EXPECT_NE(err.find("display"), std::string::npos) << err;
    }
}

TEST(Demo, WindowHasItsTitleSizeAndPlace) {
    Demo demo;
    demo.start();
    char* name = nullptr;
    ASSERT_TRUE(XFetchName(demo.display, demo.window, &name));
    EXPECT_STREQ(name, "Inverse Kinematics - Tovald - 2014");
    XFree(name);

    Window root = 0;
    int x = 0, y = 0;
    unsigned int width = 0, height = 0, border = 0, depth = 0;
    ASSERT_TRUE(
        XGetGeometry(demo.display, demo.window, &root, &x, &y, &width, &height, &border, &depth));
    Window child = 0;
    XTranslateCoordinates(demo.display, demo.window, root, 0, 0, &x, &y, &child);
    EXPECT_EQ(width, 1024u);
    EXPECT_EQ(height, 768u);
    EXPECT_EQ(x, 200);
    EXPECT_EQ(y, 100);
    // The first frame compiles the driver's shaders; the quit is timed from
    // a running loop.
    ASSERT_TRUE(demo.wait_for([](const Image& i) { return count_hue(i, Hue::grey) > 0; }, 10));
    quit_with_escape(demo);
}

TEST(Demo, FirstFramesShowTheSceneAndTheTipReachesTheStartGoal) {
    Demo demo;
    demo.start();
    Camera camera;
    Pixel goal = project(camera, 1, 0, 1);
    // The first frame that shows anything.
    ASSERT_TRUE(demo.wait_for([](const Image& i) { return count_hue(i, Hue::grey) > 0; }, 10));
    Image first = demo.last;
    EXPECT_GT(count_hue(first, Hue::grey), 2000) << "grid";
    EXPECT_GT(count_hue(first, Hue::cyan), 300) << "bones";
    EXPECT_GT(solid_blob(first, Hue::red).count, 4 * kMinDiscPixels) << "joint points";
    EXPECT_GT(solid_blob(first, Hue::white).count, 4 * kMinDiscPixels) << "node markers";
    EXPECT_GT(solid_blob(first, Hue::yellow).count + solid_blob(first, Hue::orange).count,
              kMinDiscPixels)
        << "tip and goal";
    expect_grid_seen_by(first, camera);

    EXPECT_TRUE(demo.wait_for([&](const Image& i) { return tip_on_goal(i, goal.x, goal.y); }, 1.0))
        << tip_on_goal(demo.last, goal.x, goal.y).message();
    quit_with_escape(demo);
    EXPECT_EQ(demo.read_stdout(), "") << "nothing is printed without a drag";
    EXPECT_EQ(demo.read_stderr(), "");
}

// The goal under the cursor on the ground plane y = 0, or with Shift on the
// upright plane through the goal that faces the camera.
TEST(Demo, LeftDragMovesTheGoalAndShiftDragLiftsIt) {
    Demo demo;
    Camera camera;
    start_converged(demo, camera);

    // Ground points within the arm's reach, in front of the camera.
    Pixel a = project(camera, -1, 0, 1.5);
    Pixel b = project(camera, 1.2, 0, -0.8);
    Pixel c = project(camera, 1.5, 0, 0.5);
    int ax = static_cast<int>(std::lround(a.x)), ay = static_cast<int>(std::lround(a.y));

    demo.move(ax, ay);
    demo.button(1, true);
    // The first drag also builds the depth-only picking program.
    EXPECT_TRUE(demo.wait_for([&](const Image& i) { return goal_at(i, ax, ay); }, 1.5))
        << goal_at(demo.last, ax, ay).message();
    EXPECT_TRUE(demo.wait_for([&](const Image& i) { return tip_on_goal(i, ax, ay); }, 1.0))
        << tip_on_goal(demo.last, ax, ay).message();

    // Still held: the goal keeps following the pointer.
    glide(demo, a, b, 10);
    int bx = static_cast<int>(std::lround(b.x)), by = static_cast<int>(std::lround(b.y));
    EXPECT_TRUE(demo.wait_for([&](const Image& i) { return tip_on_goal(i, bx, by); }, 1.0))
        << tip_on_goal(demo.last, bx, by).message();
    demo.button(1, false);

    // A second drag.
    int cx = static_cast<int>(std::lround(c.x)), cy = static_cast<int>(std::lround(c.y));
    demo.move(cx, cy);
    demo.button(1, true);
    EXPECT_TRUE(demo.wait_for([&](const Image& i) { return tip_on_goal(i, cx, cy); }, 1.0))
        << tip_on_goal(demo.last, cx, cy).message();
    demo.button(1, false);

    // Lift it: Shift, then drag upward from the goal.
    demo.key("Shift_L", true);
    demo.button(1, true);
    const int lift = 200;
    glide(demo, {double(cx), double(cy)}, {double(cx), double(cy - lift)}, 8);
    demo.settle(0.2);
    demo.button(1, false);
    demo.key("Shift_L", false);

    // Where the cursor's ray meets the upright plane through (1.5, 0, 0.5).
    double eye[3], ray[3];
    camera.ray(cx, cy - lift, eye, ray);
    double normal[3] = {eye[0], 0, eye[2]};
    double along = ((1.5 - eye[0]) * normal[0] + (0.5 - eye[2]) * normal[2]) /
                   (ray[0] * normal[0] + ray[2] * normal[2]);
    double lifted[3] = {eye[0] + ray[0] * along, eye[1] + ray[1] * along, eye[2] + ray[2] * along};
    ASSERT_GT(lifted[1], 0.5) << "the lift puts the goal well above the ground";
    EXPECT_TRUE(demo.wait_for([&](const Image& i) { return tip_on_goal(i, cx, cy - lift); }, 1.0))
        << tip_on_goal(demo.last, cx, cy - lift).message();
    // The orange guide line drops from the goal to the ground below it.
    Pixel ground = project(camera, lifted[0], 0, lifted[2]);
    for (double t : {0.35, 0.6, 0.85}) {
        double x = cx + (ground.x - cx) * t, y = (cy - lift) + (ground.y - (cy - lift)) * t;
        EXPECT_TRUE(orange_line_near(demo.last, x, y, 2))
            << "drop line at " << t << ": " << describe_near(demo.last, x, y, 2);
    }

    quit_with_escape(demo);
    // The depth-only program builds on the first drag and reports exactly once.
    std::string out = demo.read_stdout();
    EXPECT_EQ(out.rfind("Builtin shader compile:\n#### Quarn Compile Log ####\n", 0), 0u) << out;
    EXPECT_EQ(count_of(out, "Builtin shader compile:\n"), 1) << out;
    EXPECT_EQ(count_of(out, "Builtin shader link:\n#### Quarn Link Log ####\n"), 1) << out;
    EXPECT_EQ(count_of(out, "Builtin shader"), 2) << out;
    EXPECT_EQ(demo.read_stderr(), "");
}

TEST(Demo, RightDragOrbitsAndTheWheelZooms) {
    Demo demo;
    Camera camera;
    start_converged(demo, camera);

    // Motion without a button leaves the camera alone.
    glide(demo, {700, 400}, {760, 430}, 6);
    demo.settle(0.2);
    Pixel goal = project(camera, 1, 0, 1);
    EXPECT_TRUE(demo.wait_for([&](const Image& i) { return tip_on_goal(i, goal.x, goal.y); }, 0.5))
        << tip_on_goal(demo.last, goal.x, goal.y).message();

    // 30 pixels right and 12 down: one degree per pixel.
    demo.button(3, true);
    glide(demo, {760, 430}, {790, 442}, 6);
    demo.button(3, false);
    camera.azimuth += 30;
    camera.elevation += 12;
    goal = project(camera, 1, 0, 1);
    EXPECT_TRUE(demo.wait_for([&](const Image& i) { return tip_on_goal(i, goal.x, goal.y); }, 1.0))
        << tip_on_goal(demo.last, goal.x, goal.y).message();
    expect_grid_seen_by(demo.last, camera);

    // One step forward brings the camera to 0.9 of its distance, one back restores it.
    struct Step {
        int button;
        double distance;
    };
    for (const Step& step : {Step{4, 3.6}, Step{5, 4.0}}) {
        SCOPED_TRACE(step.button == 4 ? "wheel forward" : "wheel back");
        demo.button(step.button, true);
        demo.button(step.button, false);
        camera.distance = step.distance;
        goal = project(camera, 1, 0, 1);
        EXPECT_TRUE(
            demo.wait_for([&](const Image& i) { return tip_on_goal(i, goal.x, goal.y); }, 1.0))
            << tip_on_goal(demo.last, goal.x, goal.y).message();
        expect_grid_seen_by(demo.last, camera);
    }
    quit_with_escape(demo);
}

TEST(Demo, EscapeTheCloseButtonAndSWithEscapeEndTheProgramCleanly) {
    struct Case {
        const char* name;
        void (*quit)(Demo&);
    };
    const Case cases[] = {
        {"Escape", [](Demo& d) { d.tap("Escape"); }},
        {"WM_DELETE_WINDOW", [](Demo& d) { d.send_close_request(); }},
        {"S and Escape in one go",
         [](Demo& d) {
             d.key("s", true);
             d.key("s", false);
             d.key("Escape", true);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Demo demo;
        demo.start();
        ASSERT_TRUE(demo.wait_for([](const Image& i) { return count_hue(i, Hue::grey) > 0; }, 10));
        c.quit(demo);
        ASSERT_TRUE(demo.wait_exit(1.0)) << "still running after 1 s";
        EXPECT_EQ(demo.exit_code, 0);
        EXPECT_EQ(demo.read_stdout(), "");
        EXPECT_EQ(demo.read_stderr(), "");
    }
}

// S while the tip is on its goal changes nothing; S while it is off runs
// solver updates inside the event pump, which must not stall the program for
// good. (That S adds exactly one update is checked in-process, in
// my_frame_test.cpp: from outside a solver update cannot be told from a frame's.)
TEST(Demo, SKeysLeaveAConvergedArmAloneAndKeepTheProgramResponsive) {
    Demo demo;
    start_converged(demo);
    auto burst = [&](const char* key, int presses) {
        for (int i = 0; i < presses; ++i) {
            demo.key(key, true);
            demo.key(key, false);
        }
    };
    demo.settle(0.2);
    Image before = demo.capture();
    burst("s", 50);
    demo.settle(0.5);
    Image after = demo.capture();
    int changed = 0;
    for (std::size_t i = 0; i < before.pixels.size() && i < after.pixels.size(); ++i)
        changed += before.pixels[i] != after.pixels[i] ? 1 : 0;
    EXPECT_EQ(changed, 0) << "pixels changed by S on a converged arm";

    // A click on the sky puts the goal on the far side of the view, clamped
    // to 10 in each coordinate: out of reach, so the arm never converges.
    demo.move(512, 2);
    demo.button(1, true);
    demo.settle(0.2);
    demo.button(1, false);
    Pixel start_goal = project(Camera(), 1, 0, 1);
    EXPECT_TRUE(demo.wait_for(
        [&](const Image& i) {
            return solid_blob(i, Hue::orange).count == 0 &&
                   !tip_on_goal(i, start_goal.x, start_goal.y);
        },
        1.0))
        << "the goal left the view";
    burst("s", 100);
    demo.settle(0.5);
    ASSERT_TRUE(demo.running());
    EXPECT_GT(count_hue(demo.capture(), Hue::cyan), 0) << "still drawing the arm";
    quit_with_escape(demo);
}

TEST(Demo, SurvivesResizeAndIconifyAndDrawsAtTheNewSize) {
    Demo demo;
    start_converged(demo);
    auto tip_for_size = [&](int width, int height, const char* step) {
        SCOPED_TRACE(step);
        Camera camera;
        camera.width = width;
        camera.height = height;
        Pixel goal = project(camera, 1, 0, 1);
        // A multisampled frame of three megapixels takes the sanitized build
        // around a second, the new target's set-up included; a loaded machine
        // has been seen to take three.
        EXPECT_TRUE(
            demo.wait_for([&](const Image& i) { return tip_on_goal(i, goal.x, goal.y); }, 5.0))
            << width << "x" << height << ": " << tip_on_goal(demo.last, goal.x, goal.y).message();
    };

    demo.resize(1, 1);
    demo.settle(0.3);
    ASSERT_TRUE(demo.running());
    demo.resize(800, 600);
    demo.settle(0.2);
    tip_for_size(800, 600, "after 1 x 1");
    EXPECT_EQ(demo.last.width, 800);
    EXPECT_EQ(demo.last.height, 600);

    // Larger than the 1600 x 1200 screen; only the visible part is checked.
    demo.resize(2000, 1500);
    demo.settle(0.3);
    ASSERT_TRUE(demo.running());
    tip_for_size(2000, 1500, "larger than the screen");

    demo.iconify();
    demo.settle(0.5);
    ASSERT_TRUE(demo.running());
    demo.restore();
    demo.settle(0.3);
    tip_for_size(2000, 1500, "restored");

    demo.resize(1024, 768);
    demo.settle(0.2);
    tip_for_size(1024, 768, "back to the start size");
    quit_with_escape(demo);
}

TEST(Demo, SurvivesABurstOfRandomInput) {
    Demo demo;
    start_converged(demo);
    std::mt19937 random(20141);
    const char* keys[] = {"s", "a", "Shift_L", "Control_L", "space", "Left", "1", "F1"};
    std::uniform_int_distribution<int> kind(0, 9), x(-60, 1024 + 60), y(-60, 768 + 60),
        button(1, 5), key(0, 7), press(0, 1);
    for (int i = 0; i < 1000; ++i) {
        int k = kind(random);
        if (k < 5) {
            demo.move(x(random), y(random));
        } else if (k < 7) {
            int b = button(random);
            // A wheel step is a press and a release; other buttons stay as left.
            demo.button(b, b >= 4 ? true : press(random) == 1);
            if (b >= 4)
                demo.button(b, false);
        } else {
            demo.key(keys[key(random)], press(random) == 1);
        }
    }
    for (int b = 1; b <= 3; ++b)
        demo.button(b, false);
    for (const char* k : keys)
        demo.key(k, false);
    demo.settle(1.0);
    ASSERT_TRUE(demo.running()) << "exit status " << demo.exit_code << "\n" << demo.read_stderr();
    EXPECT_GT(count_hue(demo.capture(), Hue::grey), 0) << "still drawing";
    quit_with_escape(demo);
    EXPECT_EQ(demo.read_stderr(), "");
}

}  // namespace
}  // namespace e2e

// The platform layer on a real X server: windows, synchronous and queued
// messages, input translation, pixel formats and rendering contexts.

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/testing.h"
#include "tests/support/window_server.h"

namespace {

namespace Testing = Platform::Testing;
using Platform::LParam;
using Platform::WParam;

struct Received {
    std::uint32_t message;
    WParam first;
    LParam second;
};

std::vector<Received>& received() {
    static std::vector<Received> messages;
    return messages;
}

// Limits the recording procedure applies to WM_GETMINMAXINFO; 0 keeps them.
Platform::Point max_track_override = {0, 0};

Platform::LResult recording_procedure(Platform::WindowHandle window, std::uint32_t message,
                                      WParam first, LParam second) {
    received().push_back({message, first, second});
    if (message == Platform::WM_GETMINMAXINFO && max_track_override.x != 0) {
        reinterpret_cast<Platform::MinMaxInfo*>(second)->max_track_size = max_track_override;
    }
    return Platform::def_window_proc(window, message, first, second);
}

int low(LParam value) {
    return static_cast<std::int16_t>(value & 0xFFFF);
}
int high(LParam value) {
    return static_cast<std::int16_t>((value >> 16) & 0xFFFF);
}

class PlatformWindowTest : public testing::Test {
protected:
    void SetUp() override {
        received().clear();
        max_track_override = {0, 0};
        Platform::WindowClass c = {};
        c.style = Platform::CS_OWNDC;
        c.procedure = &recording_procedure;
        c.cursor = Platform::load_cursor(nullptr, Platform::IDC_ARROW);
        c.background = Platform::get_stock_object(Platform::BLACK_BRUSH);
        c.class_name = u"platform gl test";
        ASSERT_NE(Platform::register_class(&c), 0);
    }
    void TearDown() override {
        if (window != nullptr)
            Platform::destroy_window(window);
        Platform::unregister_class(u"platform gl test", nullptr);
        Testing::fake_motion(1500, 1100);
        Testing::sync();
    }

    Platform::WindowHandle create(std::uint32_t style, int x, int y, int width, int height) {
        window = Platform::create_window_ex(0, u"platform gl test", u"platform window", style, x, y,
                                            width, height, nullptr, nullptr, nullptr, nullptr);
        return window;
    }

    // A visible 300 x 200 window at (100, 150) with a pixel format, the
    // pointer over it and the queue empty.
    Platform::WindowHandle shown() {
        create(Platform::WS_POPUP, 100, 150, 300, 200);
        Platform::DeviceContextHandle dc = Platform::get_dc(window);
        Platform::set_pixel_format(dc, first_window_format(dc), nullptr);
        Platform::show_window(window, Platform::SW_SHOW);
        Testing::fake_motion(100 + 20, 150 + 30);
        drain();
        received().clear();
        return window;
    }

    static int first_window_format(Platform::DeviceContextHandle dc) {
        int count = Platform::describe_pixel_format(dc, 1, 40, nullptr);
        for (int i = 1; i <= count; ++i) {
            Platform::PixelFormatDescriptor d = {};
            Platform::describe_pixel_format(dc, i, sizeof d, &d);
            std::uint32_t need = Platform::PFD_DRAW_TO_WINDOW | Platform::PFD_DOUBLEBUFFER;
            if ((d.flags & need) == need && d.pixel_type == Platform::PFD_TYPE_RGBA &&
                d.depth_bits >= 24 && d.stencil_bits >= 8 && d.alpha_bits >= 8) {
                return i;
            }
        }
        return 0;
    }

    // Every queued message, in order, after the server has caught up.
    std::vector<Received> drain() {
        Testing::sync();
        std::vector<Received> out;
        Platform::Message m;
        while (Platform::peek_message(&m, nullptr, 0, 0, Platform::PM_REMOVE)) {
            out.push_back({m.message, m.first, m.second});
            EXPECT_FALSE(Platform::translate_message(&m));
            Platform::dispatch_message(&m);
        }
        return out;
    }

    std::vector<std::uint32_t> codes(const std::vector<Received>& messages) {
        std::vector<std::uint32_t> out;
        for (const Received& r : messages)
            out.push_back(r.message);
        return out;
    }

    Platform::WindowHandle window = nullptr;
};

TEST_F(PlatformWindowTest, CreatesHiddenAtTheOuterGeometry) {
    EXPECT_EQ(Platform::create_window_ex(0, u"no such class", u"x", 0, 0, 0, 10, 10, nullptr,
                                         nullptr, nullptr, nullptr),
              nullptr);
    create(0x86CF0000u, 40, 60, 300, 200);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(codes(received()),
              (std::vector<std::uint32_t>{Platform::WM_GETMINMAXINFO, Platform::WM_CREATE}));
    EXPECT_FALSE(Testing::server_is_mapped(window));
    EXPECT_TRUE(server_geometry_is(window, 40, 60, 300, 200));
    EXPECT_EQ(Testing::server_title(window), "platform window");
    EXPECT_EQ(Platform::get_window_long(window, Platform::GWL_STYLE),
              static_cast<std::int32_t>(0x86CF0000u));
    EXPECT_EQ(Platform::get_window_long(window, Platform::GWL_EXSTYLE), 0);
    // The private device context is the same on every request.
    Platform::DeviceContextHandle dc = Platform::get_dc(window);
    EXPECT_NE(dc, nullptr);
    EXPECT_EQ(Platform::get_dc(window), dc);
    EXPECT_EQ(Platform::release_dc(window, dc), 1);
    // The window system puts frames outside the client window.
    Platform::Rect r = {10, 20, 110, 220};
    EXPECT_TRUE(Platform::adjust_window_rect(&r, 0x86CF0000u, false));
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 20);
    EXPECT_EQ(r.right, 110);
    EXPECT_EQ(r.bottom, 220);
}

TEST_F(PlatformWindowTest, DestroySendsDestroyAndForgetsTheWindow) {
    create(Platform::WS_POPUP, 0, 0, 50, 50);
    EXPECT_FALSE(Platform::unregister_class(u"platform gl test", nullptr));
    received().clear();
    ASSERT_TRUE(Platform::destroy_window(window));
    EXPECT_EQ(codes(received()), std::vector<std::uint32_t>{Platform::WM_DESTROY});
    EXPECT_EQ(Platform::get_dc(window), nullptr);
    EXPECT_FALSE(Platform::destroy_window(window));
    window = nullptr;
}

TEST_F(PlatformWindowTest, VisibleStyleShowsAtCreation) {
    create(Platform::WS_POPUP | Platform::WS_VISIBLE, 10, 10, 60, 40);
    EXPECT_TRUE(Testing::server_is_mapped(window));
    EXPECT_NE(Platform::get_window_long(window, Platform::GWL_STYLE) &
                  static_cast<std::int32_t>(Platform::WS_VISIBLE),
              0);
}

TEST_F(PlatformWindowTest, MovingSendsSizeAndMoveBeforeReturning) {
    create(Platform::WS_POPUP, 0, 0, 50, 50);
    // An earlier request whose notification arrives late must not undo a later one.
    ASSERT_TRUE(Platform::move_window(window, 5, 5, 320, 240, false));
    received().clear();
    ASSERT_TRUE(Platform::move_window(window, -30, 70, 640, 480, false));
    ASSERT_EQ(codes(received()),
              (std::vector<std::uint32_t>{Platform::WM_GETMINMAXINFO, Platform::WM_SIZE,
                                          Platform::WM_MOVE}));
    EXPECT_EQ(received()[1].first, Platform::SIZE_RESTORED);
    EXPECT_EQ(low(received()[1].second), 640);
    EXPECT_EQ(high(received()[1].second), 480);
    EXPECT_EQ(low(received()[2].second), -30);
    EXPECT_EQ(high(received()[2].second), 70);
    EXPECT_TRUE(server_geometry_is(window, -30, 70, 640, 480));
    // The server's notification of the same geometry adds nothing.
    EXPECT_TRUE(drain().empty());
}

TEST_F(PlatformWindowTest, SizeLimitsFromTheProcedureApply) {
    create(Platform::WS_POPUP, 0, 0, 50, 50);
    max_track_override = {200, 120};
    Platform::move_window(window, 0, 0, 500, 400, false);
    Testing::Geometry g{};
    ASSERT_TRUE(Testing::server_geometry(window, &g));
    EXPECT_EQ(g.width, 200);
    EXPECT_EQ(g.height, 120);
}

struct ShowCase {
    int command;
    bool mapped;
    // WM_SIZE code and size sent from inside the call, or -1 for none.
    long size_code;
    int width;
    int height;
    bool moves;
};

TEST_F(PlatformWindowTest, ShowCommandsSendTheSizeOfTheirState) {
    const ShowCase cases[] = {
        {Platform::SW_SHOW, true, 0, 300, 200, false},
        {Platform::SW_SHOW, true, -1, 0, 0, false},
        {Platform::SW_MINIMIZE, false, 1, 0, 0, false},
        {Platform::SW_RESTORE, true, 0, 300, 200, false},
        {Platform::SW_MAXIMIZE, true, 2, 1600, 1200, true},
        {Platform::SW_RESTORE, true, 0, 300, 200, true},
        {Platform::SW_HIDE, false, -1, 0, 0, false},
        {Platform::SW_SHOWMINNOACTIVE, false, 1, 0, 0, false},
        {Platform::SW_RESTORE, true, 0, 300, 200, false},
    };
    create(Platform::WS_POPUP, 100, 150, 300, 200);
    int step = 0;
    for (const ShowCase& c : cases) {
        SCOPED_TRACE("step " + std::to_string(step++));
        received().clear();
        Platform::show_window(window, c.command);
        EXPECT_EQ(Testing::server_is_mapped(window), c.mapped);
        std::vector<Received> sizes, moves;
        for (const Received& r : received()) {
            if (r.message == Platform::WM_SIZE)
                sizes.push_back(r);
            if (r.message == Platform::WM_MOVE)
                moves.push_back(r);
        }
        if (c.size_code < 0) {
            EXPECT_TRUE(sizes.empty());
        } else {
            ASSERT_EQ(sizes.size(), 1u);
            EXPECT_EQ(sizes[0].first, static_cast<WParam>(c.size_code));
            EXPECT_EQ(low(sizes[0].second), c.width);
            EXPECT_EQ(high(sizes[0].second), c.height);
        }
        EXPECT_EQ(moves.size(), c.moves ? 1u : 0u);
        drain();
    }
}

TEST_F(PlatformWindowTest, TitleIsWrittenAsLatin1AndUtf8) {
    create(Platform::WS_POPUP, 0, 0, 50, 50);
    ASSERT_TRUE(Platform::set_window_text(window, u"Grüße \u2713"));
    EXPECT_EQ(Testing::server_title(window),
              "Gr\xFC\xDF"
              "e ?");
    EXPECT_EQ(Testing::server_utf8_title(window), "Grüße \u2713");
}

TEST_F(PlatformWindowTest, PixelFormatsAreTheScreensConfigs) {
    create(Platform::WS_POPUP, 0, 0, 50, 50);
    Platform::DeviceContextHandle dc = Platform::get_dc(window);
    int count = Platform::describe_pixel_format(dc, 1, 40, nullptr);
    ASSERT_GT(count, 0);
    Platform::PixelFormatDescriptor d = {};
    EXPECT_EQ(Platform::describe_pixel_format(dc, 0, sizeof d, &d), 0);
    EXPECT_EQ(Platform::describe_pixel_format(dc, count + 1, sizeof d, &d), 0);
    EXPECT_EQ(Platform::describe_pixel_format(dc, 1, 39, &d), 0);
    EXPECT_EQ(Platform::describe_pixel_format(nullptr, 1, sizeof d, &d), 0);
    int rgba = 0;
    for (int i = 1; i <= count; ++i) {
        ASSERT_EQ(Platform::describe_pixel_format(dc, i, sizeof d, &d), count);
        EXPECT_EQ(d.size, 40);
        EXPECT_NE(d.flags & Platform::PFD_SUPPORT_OPENGL, 0u);
        EXPECT_EQ(d.color_bits, d.red_bits + d.green_bits + d.blue_bits);
        rgba += d.pixel_type == Platform::PFD_TYPE_RGBA;
    }
    EXPECT_GT(rgba, 0);
    EXPECT_GT(first_window_format(dc), 0);
}

TEST_F(PlatformWindowTest, SettingTheFormatKeepsTheHandleAndWhatTheServerHeld) {
    create(Platform::WS_POPUP, 70, 80, 90, 60);
    Platform::DeviceContextHandle dc = Platform::get_dc(window);
    Platform::set_window_text(window, u"kept");
    int format = first_window_format(dc);
    ASSERT_GT(format, 0);
    EXPECT_EQ(Platform::get_pixel_format(dc), 0);
    ASSERT_TRUE(Platform::set_pixel_format(dc, format, nullptr));
    EXPECT_EQ(Platform::get_pixel_format(dc), format);
    // Once only, as on the original platform.
    EXPECT_FALSE(Platform::set_pixel_format(dc, format, nullptr));
    EXPECT_EQ(Platform::get_dc(window), dc);
    EXPECT_EQ(Testing::server_title(window), "kept");
    EXPECT_TRUE(server_geometry_is(window, 70, 80, 90, 60));
    // The replacement window still takes close requests.
    Platform::show_window(window, Platform::SW_SHOW);
    drain();
    Testing::send_close_request(window);
    Platform::Message m;
    Testing::sync();
    ASSERT_TRUE(Platform::peek_message(&m, window, 0, 0, Platform::PM_NOREMOVE));
    EXPECT_EQ(m.message, Platform::WM_CLOSE);
}

struct ButtonCase {
    int button;
    std::uint32_t down;
    std::uint32_t up;
    WParam held_bit;
};

TEST_F(PlatformWindowTest, ButtonsBecomeButtonMessagesAtClientPositions) {
    const ButtonCase cases[] = {
        {1, Platform::WM_LBUTTONDOWN, Platform::WM_LBUTTONUP, 0x1},
        {2, Platform::WM_MBUTTONDOWN, Platform::WM_MBUTTONUP, 0x10},
        {3, Platform::WM_RBUTTONDOWN, Platform::WM_RBUTTONUP, 0x2},
    };
    shown();
    for (const ButtonCase& c : cases) {
        SCOPED_TRACE(c.button);
        Testing::fake_button(c.button, true);
        Testing::fake_button(c.button, false);
        std::vector<Received> messages = drain();
        ASSERT_EQ(codes(messages), (std::vector<std::uint32_t>{c.down, c.up}));
        EXPECT_EQ(messages[0].first & c.held_bit, c.held_bit);
        EXPECT_EQ(messages[1].first & c.held_bit, 0u);
        for (const Received& r : messages) {
            EXPECT_EQ(low(r.second), 20);
            EXPECT_EQ(high(r.second), 30);
        }
    }
}

struct WheelCase {
    int button;
    std::uint32_t message;
    int delta;
};

TEST_F(PlatformWindowTest, WheelButtonsBecomeWheelMessages) {
    const WheelCase cases[] = {
        {4, Platform::WM_MOUSEWHEEL, 120},
        {5, Platform::WM_MOUSEWHEEL, -120},
        {6, Platform::WM_MOUSEHWHEEL, -120},
        {7, Platform::WM_MOUSEHWHEEL, 120},
    };
    shown();
    for (const WheelCase& c : cases) {
        SCOPED_TRACE(c.button);
        Testing::fake_button(c.button, true);
        Testing::fake_button(c.button, false);
        std::vector<Received> messages = drain();
        ASSERT_EQ(codes(messages), std::vector<std::uint32_t>{c.message});
        EXPECT_EQ(static_cast<std::int16_t>((messages[0].first >> 16) & 0xFFFF), c.delta);
        // Wheel messages carry screen coordinates.
        EXPECT_EQ(low(messages[0].second), 120);
        EXPECT_EQ(high(messages[0].second), 180);
    }
}

TEST_F(PlatformWindowTest, MotionCarriesSignedClientCoordinates) {
    shown();
    Testing::fake_motion(100 + 7, 150 + 9);
    std::vector<Received> messages = drain();
    ASSERT_EQ(codes(messages), std::vector<std::uint32_t>{Platform::WM_MOUSEMOVE});
    EXPECT_EQ(low(messages[0].second), 7);
    EXPECT_EQ(high(messages[0].second), 9);
    // While a button is held the window keeps receiving motion outside itself.
    Testing::fake_button(1, true);
    Testing::fake_motion(100 - 25, 150 - 4);
    messages = drain();
    Testing::fake_button(1, false);
    drain();
    ASSERT_EQ(codes(messages),
              (std::vector<std::uint32_t>{Platform::WM_LBUTTONDOWN, Platform::WM_MOUSEMOVE}));
    EXPECT_EQ(low(messages[1].second), -25);
    EXPECT_EQ(high(messages[1].second), -4);
    EXPECT_EQ(messages[1].first & 0x1, 0x1u);
}

TEST_F(PlatformWindowTest, KeysBecomeVirtualKeyMessages) {
    shown();
    for (int key : faked_virtual_keys) {
        SCOPED_TRACE(key);
        ASSERT_TRUE(Testing::fake_key(key, true));
        ASSERT_TRUE(Testing::fake_key(key, false));
        std::vector<Received> messages = drain();
        ASSERT_EQ(codes(messages),
                  (std::vector<std::uint32_t>{Platform::WM_KEYDOWN, Platform::WM_KEYUP}));
        EXPECT_EQ(messages[0].first, static_cast<WParam>(key));
        EXPECT_EQ(messages[1].first, static_cast<WParam>(key));
        EXPECT_EQ(messages[0].second & (LParam(1) << 31), 0);
        EXPECT_NE(messages[1].second & (LParam(1) << 31), 0);
    }
}

TEST_F(PlatformWindowTest, CloseRequestsArriveAsCloseAndTheDefaultDestroys) {
    shown();
    Testing::fake_button(3, true);
    Testing::fake_button(3, false);
    Testing::send_close_request(window);
    Testing::sync();
    Platform::Message m;
    // Filters pick by window and by message range without removing others.
    ASSERT_TRUE(Platform::peek_message(&m, window, Platform::WM_CLOSE, Platform::WM_CLOSE,
                                       Platform::PM_NOREMOVE));
    EXPECT_EQ(m.message, Platform::WM_CLOSE);
    EXPECT_EQ(m.window, window);
    auto other = reinterpret_cast<Platform::WindowHandle>(std::uintptr_t{0xDEAD});
    EXPECT_FALSE(Platform::peek_message(&m, other, 0, 0, Platform::PM_NOREMOVE));
    ASSERT_TRUE(Platform::peek_message(&m, nullptr, 0, 0, Platform::PM_REMOVE));
    EXPECT_EQ(m.message, Platform::WM_RBUTTONDOWN);
    ASSERT_TRUE(Platform::peek_message(&m, nullptr, Platform::WM_CLOSE, Platform::WM_CLOSE,
                                       Platform::PM_REMOVE));
    // The recording procedure leaves the close to the default, which destroys.
    Platform::dispatch_message(&m);
    EXPECT_EQ(Platform::get_dc(window), nullptr);
    // What was still queued for the window went with it.
    EXPECT_FALSE(Platform::peek_message(&m, nullptr, 0, 0, Platform::PM_REMOVE));
    window = nullptr;
}

class PlatformContextTest : public PlatformWindowTest {
protected:
    void SetUp() override {
        PlatformWindowTest::SetUp();
        create(Platform::WS_POPUP, 0, 0, 32, 32);
        dc = Platform::get_dc(window);
        ASSERT_TRUE(Platform::set_pixel_format(dc, first_window_format(dc), nullptr));
    }
    void TearDown() override {
        Platform::wgl_make_current(nullptr, nullptr);
        for (Platform::RenderContextHandle c : contexts)
            Platform::wgl_delete_context(c);
        PlatformWindowTest::TearDown();
    }
    Platform::RenderContextHandle keep(Platform::RenderContextHandle context) {
        if (context != nullptr)
            contexts.push_back(context);
        return context;
    }

    Platform::DeviceContextHandle dc = nullptr;
    std::vector<Platform::RenderContextHandle> contexts;
};

TEST_F(PlatformContextTest, LegacyContextBecomesCurrentAndIsReleasedOnDelete) {
    Platform::RenderContextHandle legacy = Platform::wgl_create_context(dc);
    ASSERT_NE(legacy, nullptr);
    ASSERT_TRUE(Platform::wgl_make_current(dc, legacy));
    const GLubyte* version = glGetString(GL_VERSION);
    ASSERT_NE(version, nullptr);
    int calls = Testing::make_current_calls();
    EXPECT_TRUE(Platform::wgl_delete_context(legacy));
    EXPECT_EQ(Testing::make_current_calls(), calls + 1);
    EXPECT_EQ(glGetString(GL_VERSION), nullptr);
    EXPECT_FALSE(Platform::wgl_delete_context(legacy));
    EXPECT_FALSE(Platform::wgl_make_current(dc, legacy));
}

TEST_F(PlatformContextTest, AttributeContextsGetTheRequestedProfile) {
    const int attributes[] = {Platform::WGL_CONTEXT_MAJOR_VERSION_ARB,
                              4,
                              Platform::WGL_CONTEXT_MINOR_VERSION_ARB,
                              0,
                              Platform::WGL_CONTEXT_LAYER_PLANE_ARB,
                              0,
                              Platform::WGL_CONTEXT_FLAGS_ARB,
                              Platform::WGL_CONTEXT_DEBUG_BIT_ARB,
                              Platform::WGL_CONTEXT_PROFILE_MASK_ARB,
                              Platform::WGL_CONTEXT_CORE_PROFILE_BIT_ARB,
                              0};
    ASSERT_TRUE(Platform::wgl_is_extension_supported("WGL_ARB_create_context"));
    Platform::RenderContextHandle core =
        keep(Platform::wgl_create_context_attribs(dc, nullptr, attributes));
    ASSERT_NE(core, nullptr);
    ASSERT_TRUE(Platform::wgl_make_current(dc, core));
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version[0], '4') << version;
    GLint mask = 0, flags = 0;
    glGetIntegerv(0x9126, &mask);   // GL_CONTEXT_PROFILE_MASK
    glGetIntegerv(0x821E, &flags);  // GL_CONTEXT_FLAGS
    EXPECT_EQ(mask & 0x1, 0x1);
    EXPECT_EQ(flags & 0x2, 0x2);  // GL_CONTEXT_FLAG_DEBUG_BIT
}

TEST_F(PlatformContextTest, FailedCreationReturnsNullAndTheProcessGoesOn) {
    const int impossible[] = {Platform::WGL_CONTEXT_MAJOR_VERSION_ARB, 9,
                              Platform::WGL_CONTEXT_MINOR_VERSION_ARB, 9, 0};
    EXPECT_EQ(Platform::wgl_create_context_attribs(dc, nullptr, impossible), nullptr);
    EXPECT_EQ(Platform::wgl_create_context_attribs(nullptr, nullptr, impossible), nullptr);
    // A window without a pixel format has no configuration to create for.
    Platform::WindowHandle bare =
        Platform::create_window_ex(0, u"platform gl test", u"bare", Platform::WS_POPUP, 0, 0, 8, 8,
                                   nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(Platform::wgl_create_context(Platform::get_dc(bare)), nullptr);
    EXPECT_FALSE(Platform::swap_buffers(Platform::get_dc(bare)));
    Platform::destroy_window(bare);
    // Still usable afterwards.
    EXPECT_NE(keep(Platform::wgl_create_context(dc)), nullptr);
}

TEST_F(PlatformContextTest, ExtensionNamesMapToTheScreensAndSwapIntervalFollowsThem) {
    EXPECT_FALSE(Platform::wgl_is_extension_supported("WGL_EXT_no_such_thing"));
    EXPECT_FALSE(Platform::wgl_is_extension_supported(nullptr));
    EXPECT_FALSE(Platform::wgl_swap_interval(0));  // nothing current
    Platform::RenderContextHandle legacy = keep(Platform::wgl_create_context(dc));
    ASSERT_TRUE(Platform::wgl_make_current(dc, legacy));
    bool any = Platform::wgl_is_extension_supported("WGL_EXT_swap_control") ||
               Platform::wgl_is_extension_supported("WGL_MESA_swap_control") ||
               Platform::wgl_is_extension_supported("WGL_SGI_swap_control");
    EXPECT_EQ(Platform::wgl_swap_interval(0), any);
    EXPECT_EQ(Platform::wgl_swap_interval(1), any);
    EXPECT_TRUE(Platform::swap_buffers(dc));
}

}  // namespace

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "render/fbo/binding.h"
#include "render/fbo/fbo.h"
#include "render/projection.h"
#include "tests/render/gl_environment.h"
#include "tests/render/gl_misuse.h"
#include "tests/render/gl_spy.h"
#include "tests/support/warn_recorder.h"

using gl_test::Rgba;
using Quarn::FBO::AttachmentRenderbufferBase;
using Quarn::FBO::bind_read;
using Quarn::FBO::bind_write;
using Quarn::FBO::CopyFilter;
using Quarn::FBO::FBO2D;

namespace {

GLint get_int(GLenum name) {
    GLint value = -1;
    glGetIntegerv(name, &value);
    return value;
}

GLint renderbuffer_param(const Quarn::FBO::AttachmentBase* attachment, GLenum name) {
    const auto* rb = dynamic_cast<const AttachmentRenderbufferBase*>(attachment);
    if (rb == nullptr)
        return -1;
    GLint value = -1;
    glBindRenderbuffer(GL_RENDERBUFFER, rb->renderbuffer);
    glGetRenderbufferParameteriv(GL_RENDERBUFFER, name, &value);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    return value;
}

// Clears the whole draw target to one colour and a rectangle of it to another.
void paint(const float base[4], const Vec4i& rect, const float mark[4]) {
    glDisable(GL_SCISSOR_TEST);
    glClearColor(base[0], base[1], base[2], base[3]);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(rect[0], rect[1], rect[2], rect[3]);
    glClearColor(mark[0], mark[1], mark[2], mark[3]);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0, 0, 0, 1);
}

void expect_pixel(int x, int y, const Rgba& expected) {
    const Rgba found = gl_test::read_pixel(x, y);
    EXPECT_TRUE(gl_test::near(found, expected, 2))
        << "pixel (" << x << ", " << y << ") is " << gl_test::describe(found) << ", expected "
        << gl_test::describe(expected);
}

const float blue[4] = {0, 0, 1, 1};
const float green[4] = {0, 1, 0, 1};
const float red[4] = {1, 0, 0, 1};

}  // namespace

TEST(Framebuffers, DemoTargetIsCompleteWithItsCompanion) {
    gl_spy::RenderbufferStorage storage;
    WarnRecorder rec;
    FBO2D fbo(Vec2i(1024, 768), 32);
    EXPECT_TRUE(fbo.attach_color(8, 1));
    EXPECT_TRUE(fbo.attach_depth(32));
    EXPECT_TRUE(fbo.check_complete());
    EXPECT_TRUE(rec.failures().empty());

    EXPECT_EQ(fbo.samples, 32);
    EXPECT_EQ(fbo.size, Vec3i(1024, 768, -1));
    ASSERT_NE(fbo.resolve_target, nullptr);
    EXPECT_EQ(fbo.resolve_target->samples, 1);
    EXPECT_EQ(fbo.resolve_target->resolve_target, nullptr);

    // The request is capped by the driver's limit, never raised.
    const GLint max_samples = get_int(GL_MAX_SAMPLES);
    const int expected_samples = std::min(32, static_cast<int>(max_samples));
    for (int key : {1, -1}) {
        const auto* multi = fbo.attachments.at(key).get();
        const auto* single = fbo.resolve_target->attachments.at(key).get();
        EXPECT_GE(renderbuffer_param(multi, GL_RENDERBUFFER_SAMPLES), expected_samples) << key;
        EXPECT_LE(renderbuffer_param(multi, GL_RENDERBUFFER_SAMPLES), max_samples) << key;
        EXPECT_EQ(renderbuffer_param(single, GL_RENDERBUFFER_SAMPLES), 0) << key;
        EXPECT_EQ(renderbuffer_param(multi, GL_RENDERBUFFER_WIDTH), 1024) << key;
        EXPECT_EQ(renderbuffer_param(single, GL_RENDERBUFFER_HEIGHT), 768) << key;
    }
    EXPECT_EQ(renderbuffer_param(fbo.attachments.at(1).get(), GL_RENDERBUFFER_INTERNAL_FORMAT),
              GL_RGBA8);
    EXPECT_EQ(renderbuffer_param(fbo.attachments.at(-1).get(), GL_RENDERBUFFER_INTERNAL_FORMAT),
              GL_DEPTH_COMPONENT32);
    // Single-sample storage goes through the core entry point only.
    EXPECT_EQ(storage.core_calls(), 2);
    EXPECT_EQ(storage.ext_calls(), 0);
    EXPECT_EQ(fbo.color_attachment(1)->draw_buffer, static_cast<GLenum>(GL_COLOR_ATTACHMENT1));
    EXPECT_EQ(fbo.color_attachment(1), fbo.resolve_target->attachments.at(1).get());
    EXPECT_EQ(fbo.color_attachment(0), nullptr);
}

TEST(Framebuffers, FourSamplesAndTheirCompanion) {
    FBO2D fbo(Vec2i(640, 480), 4);
    EXPECT_FALSE(fbo.check_complete()) << "no attachment yet";
    EXPECT_TRUE(fbo.attach_color(8, 0));
    const auto* multi = fbo.attachments.at(0).get();
    const auto* single = fbo.resolve_target->attachments.at(0).get();
    EXPECT_EQ(renderbuffer_param(multi, GL_RENDERBUFFER_INTERNAL_FORMAT), GL_RGBA8);
    EXPECT_EQ(renderbuffer_param(single, GL_RENDERBUFFER_INTERNAL_FORMAT), GL_RGBA8);
    EXPECT_EQ(renderbuffer_param(multi, GL_RENDERBUFFER_SAMPLES), 4);
    EXPECT_EQ(renderbuffer_param(single, GL_RENDERBUFFER_SAMPLES), 0);
    EXPECT_EQ(fbo.color_draw_buffers(), std::vector<GLenum>{GL_COLOR_ATTACHMENT0});
}

TEST(Framebuffers, OnlyOneSampleTakesSingleSampleStorage) {
    // A count of 0 still goes to the multisample entry point, which GL takes as no multisampling;
    // a negative one is reported by the constructor and then refused by GL, leaving no storage.
    const struct {
        int samples;
        bool complete;
        int core_calls;
    } cases[] = {{1, true, 1}, {0, true, 0}, {-1, false, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.samples);
        FBO2D fbo(Vec2i(64, 64), c.samples);
        gl_spy::RenderbufferStorage storage;
        EXPECT_EQ(fbo.attach_color(8, 0), c.complete);
        EXPECT_EQ(storage.core_calls(), c.core_calls);
        EXPECT_EQ(storage.ext_calls(), 0);
        EXPECT_EQ(fbo.resolve_target, nullptr);
        while (glGetError() != GL_NO_ERROR) {
        }
    }
}

TEST(Framebuffers, DrawResolveAndPresentLikeTheDemo) {
    FBO2D fbo(Vec2i(1024, 768), 32);
    fbo.attach_color(8, 1);
    fbo.attach_depth(32);
    const Quarn::Matrices::ProjectionBase window(Vec4i(0, 0, 1024, 768), 0.1f, 100, false);
    window.apply_viewport();

    WarnRecorder rec;
    bind_write(&fbo, 1);
    paint(blue, Vec4i(100, 200, 300, 100), green);

    bind_write(nullptr);
    fbo.resolve(1);
    EXPECT_EQ(get_int(GL_DRAW_FRAMEBUFFER_BINDING), 0);
    EXPECT_EQ(get_int(GL_READ_FRAMEBUFFER_BINDING), 0);
    EXPECT_EQ(Quarn::FBO::current_write_binding().fbo, nullptr);
    EXPECT_EQ(Quarn::FBO::current_read_binding().fbo, nullptr);

    // The companion holds the resolved image.
    bind_read(fbo.resolve_target.get(), 1);
    expect_pixel(150, 250, Rgba{0, 255, 0, 255});
    expect_pixel(50, 50, Rgba{0, 0, 255, 255});

    bind_read(&fbo, 1);
    Quarn::FBO::copy_bound(GL_COLOR_BUFFER_BIT, CopyFilter::nearest);
    bind_read(nullptr);
    EXPECT_TRUE(rec.failures().empty());

    // Window pixels on both sides of the green rectangle's edges.
    expect_pixel(101, 201, Rgba{0, 255, 0, 255});
    expect_pixel(398, 298, Rgba{0, 255, 0, 255});
    expect_pixel(98, 250, Rgba{0, 0, 255, 255});
    expect_pixel(250, 302, Rgba{0, 0, 255, 255});
    expect_pixel(1020, 760, Rgba{0, 0, 255, 255});
}

TEST(Framebuffers, MirroredCopy) {
    FBO2D source(Vec2i(100, 50), 1);
    FBO2D target(Vec2i(100, 50), 1);
    source.attach_color(8, 0);
    target.attach_color(8, 0);
    bind_write(&source, 0);
    paint(red, Vec4i(50, 0, 50, 50), green);  // left red, right green

    WarnRecorder rec;
    bind_read(&source, 0);
    bind_write(&target, 0);
    Quarn::FBO::copy_framebuffer(Vec4i(0, 0, 100, 50), Vec4i(100, 0, -100, 50), GL_COLOR_BUFFER_BIT,
                                 CopyFilter::nearest);
    EXPECT_TRUE(rec.failures().empty());
    bind_read(&target, 0);
    expect_pixel(10, 25, Rgba{0, 255, 0, 255});
    expect_pixel(90, 25, Rgba{255, 0, 0, 255});
    bind_read(nullptr);
    bind_write(nullptr);
}

TEST(Framebuffers, WriteStackRestoresGLState) {
    FBO2D a(Vec2i(32, 32), 1);
    FBO2D b(Vec2i(32, 32), 1);
    a.attach_color(8, 0);
    a.attach_color(8, 2);
    b.attach_color(8, 0);
    const int indices[] = {2, 0};
    bind_write(&a, indices, 2);
    ASSERT_EQ(get_int(GL_DRAW_BUFFER0), GL_COLOR_ATTACHMENT2);

    Quarn::FBO::push_write();
    EXPECT_EQ(Quarn::FBO::write_stack_depth(), 1);
    bind_write(&b);
    EXPECT_EQ(static_cast<GLuint>(get_int(GL_DRAW_FRAMEBUFFER_BINDING)), b.name);
    EXPECT_EQ(get_int(GL_DRAW_BUFFER0), GL_NONE);
    Quarn::FBO::pop_write();

    EXPECT_EQ(Quarn::FBO::write_stack_depth(), 0);
    EXPECT_EQ(static_cast<GLuint>(get_int(GL_DRAW_FRAMEBUFFER_BINDING)), a.name);
    EXPECT_EQ(get_int(GL_DRAW_BUFFER0), GL_COLOR_ATTACHMENT2);
    EXPECT_EQ(get_int(GL_DRAW_BUFFER1), GL_COLOR_ATTACHMENT0);
    EXPECT_EQ(Quarn::FBO::current_write_binding().fbo, &a);
    EXPECT_EQ(Quarn::FBO::current_write_binding().buffers,
              (std::vector<GLenum>{GL_COLOR_ATTACHMENT2, GL_COLOR_ATTACHMENT0}));

    // A saved default binding comes back as the back buffer.
    bind_write(nullptr);
    Quarn::FBO::push_write();
    a.bind_write_all();
    Quarn::FBO::pop_write();
    EXPECT_EQ(get_int(GL_DRAW_FRAMEBUFFER_BINDING), 0);
    EXPECT_EQ(get_int(GL_DRAW_BUFFER0), GL_BACK);

    WarnRecorder rec;
    Quarn::FBO::pop_write();
    EXPECT_EQ(rec.failures(), (std::vector<std::string>{"Cannot pop FBO write stack; underflow!"}));
    EXPECT_EQ(get_int(GL_DRAW_FRAMEBUFFER_BINDING), 0);
}

TEST(Framebuffers, BindingRecordsForgetADeletedFramebuffer) {
    auto fbo = std::make_unique<FBO2D>(Vec2i(64, 64), 4);
    fbo->attach_color(8, 0);
    bind_read(fbo.get(), 0);
    bind_write(fbo.get(), 0);
    Quarn::FBO::push_write();
    fbo.reset();
    EXPECT_EQ(Quarn::FBO::current_read_binding().fbo, nullptr);
    EXPECT_EQ(Quarn::FBO::current_write_binding().fbo, nullptr);

    Quarn::Matrices::ProjectionBase(Vec4i(0, 0, 64, 64), 0.1f, 1, false).apply_viewport();
    WarnRecorder rec;
    Quarn::FBO::copy_bound(GL_COLOR_BUFFER_BIT, CopyFilter::nearest);
    Quarn::FBO::pop_write();
    EXPECT_TRUE(rec.failures().empty());
    EXPECT_EQ(get_int(GL_DRAW_FRAMEBUFFER_BINDING), 0);
    bind_read(nullptr);
    bind_write(nullptr);
}

TEST(Framebuffers, MisuseIsReported) {
    const gl_test::Misuse cases[] = {
        {"zero width",
         [] { FBO2D f(Vec2i(0, 480), 1); },
         {"Each framebuffer dimension must be greater than zero (got 0x480)."}},
        {"zero samples",
         [] { FBO2D f(Vec2i(640, 480), 0); },
         {"Samples must be at least 1 (got 0)!"}},
        {"second colour at one index",
         [] {
             FBO2D f(Vec2i(64, 64), 1);
             f.attach_color(8, 0);
             const auto* first = f.attachments.at(0).get();
             EXPECT_TRUE(f.attach_color(16, 0));
             EXPECT_EQ(f.attachments.at(0).get(), first);
         },
         {"A color attachment has already been attached to index 0!"}},
        {"second depth",
         [] {
             FBO2D f(Vec2i(64, 64), 2);
             f.attach_color(8, 0);
             f.attach_depth(32);
             f.attach_depth(32);
         },
         {"A depth attachment has already been attached!"}},
        {"negative colour index",
         [] {
             FBO2D f(Vec2i(64, 64), 1);
             f.attach_color(8, -1);
             EXPECT_TRUE(f.attachments.empty());
         },
         {"Color attachment target index must be nonnegative!"}},
        {"unknown colour precision",
         [] {
             FBO2D f(Vec2i(64, 64), 1);
             EXPECT_FALSE(f.attach_color(12, 0));
         },
         {"Unrecognized color precision 12 requested!"}},
        {"unknown depth precision",
         [] {
             FBO2D f(Vec2i(64, 64), 1);
             f.attach_depth(20);
         },
         {"Unrecognized depth precision 20 requested!"}},
        {"missing draw index",
         [] {
             FBO2D f(Vec2i(64, 64), 1);
             f.attach_color(8, 0);
             const int indices[] = {0, 2};
             bind_write(&f, indices, 2);
             EXPECT_EQ(Quarn::FBO::current_write_binding().buffers,
                       std::vector<GLenum>{GL_COLOR_ATTACHMENT0});
             bind_write(nullptr);
         },
         {"Color index 2 does not exist in FBO!"}},
        {"indices for no framebuffer",
         [] {
             const int indices[] = {0};
             bind_write(nullptr, indices, 1);
             EXPECT_EQ(get_int(GL_DRAW_FRAMEBUFFER_BINDING), 0);
         },
         {"Use the single-argument overload to choose the default framebuffer."}},
        {"no indices",
         [] {
             FBO2D f(Vec2i(64, 64), 1);
             f.attach_color(8, 0);
             bind_write(&f, nullptr, 0);
             bind_write(nullptr);
         },
         {"Must have at least one color target for this overload."}},
        {"read index for no framebuffer",
         [] { bind_read(nullptr, 0); },
         {"Use the single-argument overload to choose the default framebuffer."}},
        {"negative read index",
         [] {
             FBO2D f(Vec2i(64, 64), 1);
             bind_read(&f, -1);
             bind_read(nullptr);
         },
         {"Color index must be nonnegative!  Use the single-argument overload if no colorbuffers "
          "are needed."}},
        {"read index without attachment",
         [] {
             FBO2D f(Vec2i(64, 64), 1);
             f.attach_color(8, 0);
             bind_read(&f, 3);
             EXPECT_EQ(Quarn::FBO::current_read_binding().buffers, std::vector<GLenum>{GL_NONE});
             bind_read(nullptr);
         },
         {"No color attachment exists for index 3!"}},
        {"copy filter",
         [] {
             Quarn::FBO::copy_framebuffer(Vec4i(0, 0, 8, 8), Vec4i(0, 0, 8, 8), GL_COLOR_BUFFER_BIT,
                                          static_cast<CopyFilter>(3));
         },
         {"Invalid framebuffer copy filter!"}},
        {"copy of unequal sizes",
         [] {
             FBO2D f(Vec2i(800, 600), 1);
             f.attach_color(8, 0);
             Quarn::Matrices::ProjectionBase(Vec4i(0, 0, 1024, 768), 0.1f, 1, false)
                 .apply_viewport();
             bind_read(&f, 0);
             bind_write(nullptr);
             Quarn::FBO::copy_bound(GL_COLOR_BUFFER_BIT, CopyFilter::nearest);
             bind_read(nullptr);
         },
         {"Absolute value of dimensions do not match (got read (800,600) write (1024,768))!"}},
        {"resolve without companion",
         [] {
             FBO2D f(Vec2i(64, 64), 1);
             f.attach_color(8, 0);
             f.resolve(0);
         },
         {"Cannot resolve a framebuffer that is not multisampled!"}},
    };
    gl_test::expect_reports(cases);
}

// Pixel formats, buffer swaps and rendering contexts on GLX.
//
// NOTE: this file includes the system GLX header only. GLEW's GLX header
// turns glXGetFBConfigs, glXCreateNewContext and friends into pointers that
// stay null until glewInit has run with a current context.

#include <GL/glx.h>

#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/x11_internal.h"

#ifndef GLX_CONTEXT_MAJOR_VERSION_ARB
#define GLX_CONTEXT_MAJOR_VERSION_ARB 0x2091
#define GLX_CONTEXT_MINOR_VERSION_ARB 0x2092
#define GLX_CONTEXT_FLAGS_ARB 0x2094
#define GLX_CONTEXT_PROFILE_MASK_ARB 0x9126
#endif

namespace Platform {
namespace X11 {
namespace {

struct ContextRecord {
    GLXContext context;
    GLXFBConfig config;
};

struct GlxState {
    std::map<RenderContextHandle, ContextRecord> contexts;
    std::uintptr_t next_token = 1;
    RenderContextHandle current_context = nullptr;
    DeviceContextHandle current_dc = nullptr;
    int make_current_calls = 0;
    bool configs_loaded = false;
    std::vector<GLXFBConfig> configs;
};

GlxState& glx() {
    static GlxState s;
    return s;
}

const std::vector<GLXFBConfig>& configs() {
    GlxState& g = glx();
    if (!g.configs_loaded) {
        int count = 0;
        GLXFBConfig* list = glXGetFBConfigs(display(), screen(), &count);
        if (list != nullptr) {
            g.configs.assign(list, list + count);
            XFree(list);
        }
        g.configs_loaded = true;
    }
    return g.configs;
}

int attribute(GLXFBConfig config, int name) {
    int value = 0;
    glXGetFBConfigAttrib(display(), config, name, &value);
    return value;
}

std::uint8_t shift_of(unsigned long mask) {
    if (mask == 0)
        return 0;
    std::uint8_t shift = 0;
    while ((mask & 1) == 0) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

bool screen_has_extension(const char* name) {
    const char* list = glXQueryExtensionsString(display(), screen());
    if (list == nullptr)
        return false;
    std::istringstream words(list);
    std::string word;
    while (words >> word) {
        if (word == name)
            return true;
    }
    return false;
}

bool bind(DeviceContextHandle dc, RenderContextHandle context) {
    GlxState& g = glx();
    ++g.make_current_calls;
    if (dc == nullptr && context == nullptr) {
        // Nothing was ever made current without a display, so none is opened.
        if (g.current_context != nullptr)
            glXMakeCurrent(display(), None, nullptr);
        g.current_dc = nullptr;
        g.current_context = nullptr;
        return true;
    }
    Display* d = display();
    NativeWindowRecord* record = find_window(dc);
    auto found = g.contexts.find(context);
    if (record == nullptr || found == g.contexts.end())
        return false;
    ErrorTrap trap;
    Bool done = glXMakeCurrent(d, record->xid, found->second.context);
    if (!done || trap.failed())
        return false;
    g.current_dc = dc;
    g.current_context = context;
    return true;
}

}  // namespace

int make_current_count() {
    return glx().make_current_calls;
}

void forget_drawable(::Window xid) {
    GlxState& g = glx();
    if (g.current_context == nullptr)
        return;
    NativeWindowRecord* current = find_window(g.current_dc);
    if (current == nullptr || current->xid != xid)
        return;
    // Keep the context current elsewhere so that GL objects can still be
    // deleted after the window is gone, as on a platform where the context
    // outlives its window.
    NativeWindowRecord* spare = other_window_with_format(current->pixel_format, xid);
    RenderContextHandle context = g.current_context;
    if (spare == nullptr || !bind(spare->dc, context))
        bind(nullptr, nullptr);
}

}  // namespace X11

using X11::display;
using X11::find_window;
using X11::glx;

int describe_pixel_format(DeviceContextHandle dc, int index, std::uint32_t bytes,
                          PixelFormatDescriptor* descriptor) {
    if (find_window(dc) == nullptr)
        return 0;
    const std::vector<GLXFBConfig>& list = X11::configs();
    int count = static_cast<int>(list.size());
    if (index < 1 || index > count)
        return 0;
    if (descriptor == nullptr)
        return count;
    if (bytes < sizeof(PixelFormatDescriptor))
        return 0;
    GLXFBConfig config = list[static_cast<std::size_t>(index - 1)];
    PixelFormatDescriptor pfd;
    std::memset(&pfd, 0, sizeof pfd);
    pfd.size = sizeof pfd;
    pfd.version = 1;
    pfd.flags = PFD_SUPPORT_OPENGL;
    if (X11::attribute(config, GLX_DOUBLEBUFFER))
        pfd.flags |= PFD_DOUBLEBUFFER;
    if (X11::attribute(config, GLX_STEREO))
        pfd.flags |= PFD_STEREO;
    XVisualInfo* visual = glXGetVisualFromFBConfig(display(), config);
    if ((X11::attribute(config, GLX_DRAWABLE_TYPE) & GLX_WINDOW_BIT) && visual != nullptr) {
        pfd.flags |= PFD_DRAW_TO_WINDOW;
    }
    if (X11::attribute(config, GLX_CONFIG_CAVEAT) == GLX_SLOW_CONFIG) {
        pfd.flags |= PFD_GENERIC_FORMAT;
    }
    pfd.pixel_type = (X11::attribute(config, GLX_RENDER_TYPE) & GLX_RGBA_BIT) ? PFD_TYPE_RGBA
                                                                              : PFD_TYPE_COLORINDEX;
    pfd.red_bits = static_cast<std::uint8_t>(X11::attribute(config, GLX_RED_SIZE));
    pfd.green_bits = static_cast<std::uint8_t>(X11::attribute(config, GLX_GREEN_SIZE));
    pfd.blue_bits = static_cast<std::uint8_t>(X11::attribute(config, GLX_BLUE_SIZE));
    pfd.alpha_bits = static_cast<std::uint8_t>(X11::attribute(config, GLX_ALPHA_SIZE));
    pfd.color_bits = static_cast<std::uint8_t>(pfd.red_bits + pfd.green_bits + pfd.blue_bits);
    if (visual != nullptr) {
        pfd.red_shift = X11::shift_of(visual->red_mask);
        pfd.green_shift = X11::shift_of(visual->green_mask);
        pfd.blue_shift = X11::shift_of(visual->blue_mask);
        XFree(visual);
    }
    pfd.accum_red_bits = static_cast<std::uint8_t>(X11::attribute(config, GLX_ACCUM_RED_SIZE));
    pfd.accum_green_bits = static_cast<std::uint8_t>(X11::attribute(config, GLX_ACCUM_GREEN_SIZE));
    pfd.accum_blue_bits = static_cast<std::uint8_t>(X11::attribute(config, GLX_ACCUM_BLUE_SIZE));
    pfd.accum_alpha_bits = static_cast<std::uint8_t>(X11::attribute(config, GLX_ACCUM_ALPHA_SIZE));
    pfd.accum_bits = static_cast<std::uint8_t>(pfd.accum_red_bits + pfd.accum_green_bits +
                                               pfd.accum_blue_bits + pfd.accum_alpha_bits);
    pfd.depth_bits = static_cast<std::uint8_t>(X11::attribute(config, GLX_DEPTH_SIZE));
    pfd.stencil_bits = static_cast<std::uint8_t>(X11::attribute(config, GLX_STENCIL_SIZE));
    pfd.aux_buffers = static_cast<std::uint8_t>(X11::attribute(config, GLX_AUX_BUFFERS));
    *descriptor = pfd;
    return count;
}

bool set_pixel_format(DeviceContextHandle dc, int index, const PixelFormatDescriptor*) {
    X11::NativeWindowRecord* record = find_window(dc);
    const std::vector<GLXFBConfig>& list = X11::configs();
    // A window's pixel format can be set once, as on the original platform.
    if (record == nullptr || record->pixel_format != 0)
        return false;
    if (index < 1 || index > static_cast<int>(list.size()))
        return false;
    GLXFBConfig config = list[static_cast<std::size_t>(index - 1)];
    XVisualInfo* visual = glXGetVisualFromFBConfig(display(), config);
    if (visual == nullptr)
        return false;
    if (XVisualIDFromVisual(record->visual) != visual->visualid || record->depth != visual->depth) {
        X11::recreate_window(record, visual->visual, visual->depth);
    }
    XFree(visual);
    record->pixel_format = index;
    record->fb_config = config;
    return true;
}

int get_pixel_format(DeviceContextHandle dc) {
    X11::NativeWindowRecord* record = find_window(dc);
    return record != nullptr ? record->pixel_format : 0;
}

bool swap_buffers(DeviceContextHandle dc) {
    X11::NativeWindowRecord* record = find_window(dc);
    if (record == nullptr || record->fb_config == nullptr)
        return false;
    glXSwapBuffers(display(), record->xid);
    return true;
}

RenderContextHandle wgl_create_context(DeviceContextHandle dc) {
    X11::NativeWindowRecord* record = find_window(dc);
    if (record == nullptr || record->fb_config == nullptr)
        return nullptr;
    GLXFBConfig config = static_cast<GLXFBConfig>(record->fb_config);
    X11::ErrorTrap trap;
    GLXContext context = glXCreateNewContext(display(), config, GLX_RGBA_TYPE, nullptr, True);
    if (context == nullptr || trap.failed())
        return nullptr;
    auto handle = reinterpret_cast<RenderContextHandle>(glx().next_token++);
    glx().contexts[handle] = {context, config};
    return handle;
}

bool wgl_make_current(DeviceContextHandle dc, RenderContextHandle context) {
    if (context == nullptr)
        dc = nullptr;
    return X11::bind(dc, context);
}

bool wgl_delete_context(RenderContextHandle context) {
    X11::GlxState& g = glx();
    auto found = g.contexts.find(context);
    if (found == g.contexts.end())
        return false;
    if (g.current_context == context)
        X11::bind(nullptr, nullptr);
    glXDestroyContext(display(), found->second.context);
    g.contexts.erase(found);
    return true;
}

RenderContextHandle wgl_create_context_attribs(DeviceContextHandle dc, RenderContextHandle share,
                                               const int* attributes) {
    using CreateContextAttribs =
        GLXContext (*)(Display*, GLXFBConfig, GLXContext, Bool, const int*);
    X11::NativeWindowRecord* record = find_window(dc);
    if (record == nullptr || record->fb_config == nullptr)
        return nullptr;
    auto create = reinterpret_cast<CreateContextAttribs>(
        glXGetProcAddressARB(reinterpret_cast<const GLubyte*>("glXCreateContextAttribsARB")));
    if (create == nullptr || !X11::screen_has_extension("GLX_ARB_create_context"))
        return nullptr;
    // Version, flags and profile mask have the same values in both lists; the
    // layer plane has no counterpart and is dropped.
    std::vector<int> translated;
    for (const int* a = attributes; a != nullptr && a[0] != 0; a += 2) {
        if (a[0] == WGL_CONTEXT_LAYER_PLANE_ARB)
            continue;
        translated.push_back(a[0]);
        translated.push_back(a[1]);
    }
    translated.push_back(0);
    GLXContext shared = nullptr;
    auto found_share = glx().contexts.find(share);
    if (found_share != glx().contexts.end())
        shared = found_share->second.context;
    GLXFBConfig config = static_cast<GLXFBConfig>(record->fb_config);
    X11::ErrorTrap trap;
    GLXContext context = create(display(), config, shared, True, translated.data());
    if (trap.failed()) {
        if (context != nullptr)
            glXDestroyContext(display(), context);
        return nullptr;
    }
    if (context == nullptr)
        return nullptr;
    auto handle = reinterpret_cast<RenderContextHandle>(glx().next_token++);
    glx().contexts[handle] = {context, config};
    return handle;
}

bool wgl_is_extension_supported(const char* name) {
    if (name == nullptr)
        return false;
    std::string wanted = name;
    if (wanted.compare(0, 4, "WGL_") == 0)
        wanted = "GLX_" + wanted.substr(4);
    return X11::screen_has_extension(wanted.c_str());
}

// NOTE: GLEW reports the swap-control extensions from the client string even
// when the screen lacks them, and querying GLX_SWAP_INTERVAL_EXT crashes
// inside Mesa; so the screen's own string decides, and nothing is queried.
bool wgl_swap_interval(int interval) {
    X11::GlxState& g = glx();
    X11::NativeWindowRecord* record = find_window(g.current_dc);
    if (g.current_context == nullptr || record == nullptr)
        return false;
    auto address = [](const char* function) {
        return glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(function));
    };
    X11::ErrorTrap trap;
    if (X11::screen_has_extension("GLX_EXT_swap_control")) {
        using SwapIntervalExt = void (*)(Display*, GLXDrawable, int);
        auto set = reinterpret_cast<SwapIntervalExt>(address("glXSwapIntervalEXT"));
        if (set == nullptr)
            return false;
        set(display(), record->xid, interval);
        return !trap.failed();
    }
    if (X11::screen_has_extension("GLX_MESA_swap_control")) {
        using SwapIntervalMesa = int (*)(unsigned int);
        auto set = reinterpret_cast<SwapIntervalMesa>(address("glXSwapIntervalMESA"));
        if (set == nullptr || interval < 0)
            return false;
        return set(static_cast<unsigned int>(interval)) == 0 && !trap.failed();
    }
    if (X11::screen_has_extension("GLX_SGI_swap_control")) {
        using SwapIntervalSgi = int (*)(int);
        auto set = reinterpret_cast<SwapIntervalSgi>(address("glXSwapIntervalSGI"));
        if (set == nullptr)
            return false;
        return set(interval) == 0 && !trap.failed();
    }
    return false;
}

}  // namespace Platform

#include "windowing/context.h"

#include <GL/glew.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>

#include "math/assert_warn.h"

namespace Orv {

namespace {

// Message ids the drivers repeat endlessly about buffer placement.
bool dropped_id(unsigned int id) {
    return id == 131185 || id == 131186 || id == 131218;
}

const char* severity_word(unsigned int severity) {
    switch (severity) {
        case GL_DEBUG_SEVERITY_HIGH:
            return "high severity issue";
        case GL_DEBUG_SEVERITY_MEDIUM:
            return "medium severity issue";
        case GL_DEBUG_SEVERITY_LOW:
            return "low severity issue";
        case GL_DEBUG_SEVERITY_NOTIFICATION:
            return "notification";
        default:
            return nullptr;
    }
}

const char* source_word(unsigned int source) {
    switch (source) {
        case GL_DEBUG_SOURCE_API:
            return "OpenGL API";
        case GL_DEBUG_SOURCE_WINDOW_SYSTEM:
            return "the windowing system API";
        case GL_DEBUG_SOURCE_SHADER_COMPILER:
            return "a shader compiler";
        case GL_DEBUG_SOURCE_THIRD_PARTY:
            return "a third party";
        case GL_DEBUG_SOURCE_APPLICATION:
            return "a user";
        case GL_DEBUG_SOURCE_OTHER:
            return "<unknown>";
        default:
            return nullptr;
    }
}

const char* type_word(unsigned int type) {
    switch (type) {
        case GL_DEBUG_TYPE_ERROR:
            return "error";
        case GL_DEBUG_TYPE_DEPRECATED_BEHAVIOR:
            return "deprecated";
        case GL_DEBUG_TYPE_UNDEFINED_BEHAVIOR:
            return "undefined behavior";
        case GL_DEBUG_TYPE_PORTABILITY:
            return "portability";
        case GL_DEBUG_TYPE_PERFORMANCE:
            return "performance issue";
        case GL_DEBUG_TYPE_OTHER:
            return "other";
        case GL_DEBUG_TYPE_MARKER:
            return "command stream annotation";
        case GL_DEBUG_TYPE_PUSH_GROUP:
            return "push group";
        case GL_DEBUG_TYPE_POP_GROUP:
            return "pop group";
        default:
            return nullptr;
    }
}

}  // namespace

Context::Context(int major, int minor, bool debug) : debug(debug) {
    bootstrap_window = new Frame::NativeWindow(Flags::Style::BORDER | Flags::Style::TITLE,
                                               Flags::Button::CLOSE, nullptr, 0, 0, 10, 10);
    Platform::DeviceContextHandle dc = bootstrap_window->device_context;
    Platform::RenderContextHandle legacy = Platform::wgl_create_context(dc);
    Platform::wgl_make_current(dc, legacy);
    load_entry_points();

    const int attributes[] = {Platform::WGL_CONTEXT_MAJOR_VERSION_ARB,
                              major,
                              Platform::WGL_CONTEXT_MINOR_VERSION_ARB,
                              minor,
                              Platform::WGL_CONTEXT_LAYER_PLANE_ARB,
                              0,
                              Platform::WGL_CONTEXT_FLAGS_ARB,
                              debug ? Platform::WGL_CONTEXT_DEBUG_BIT_ARB : 0,
                              Platform::WGL_CONTEXT_PROFILE_MASK_ARB,
                              Platform::WGL_CONTEXT_CORE_PROFILE_BIT_ARB,
                              0};
    native_context = Platform::wgl_create_context_attribs(dc, nullptr, attributes);
    Platform::wgl_delete_context(legacy);

    current_frame = nullptr;
    current_window = bootstrap_window;
    Platform::wgl_make_current(dc, native_context);
    load_entry_points();

    // Without a context GLEW leaves the entry points null.
    if (debug && glDebugMessageCallback != nullptr) {
        glDebugMessageCallback(&Context::report_gl_debug_message, this);
        glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
    }

    gl_major = gl_minor = gl_release = -1;
    glsl_major = glsl_minor = glsl_release = -1;
    parse_version(gl_string(GL_VERSION), &gl_major, &gl_minor, &gl_release);
    parse_version(gl_string(GL_SHADING_LANGUAGE_VERSION), &glsl_major, &glsl_minor, &glsl_release);
}

Context::~Context() {
    make_current(nullptr);
    Platform::wgl_delete_context(native_context);
    delete bootstrap_window;
}

void Context::load_entry_points() {
    glewExperimental = GL_TRUE;
    glewInit();
    glGetError();
    assert_warn(Platform::wgl_is_extension_supported("WGL_ARB_create_context"),
                "Context creation not supported!");
}

void Context::make_current(Frame::NativeWindow* window) {
    if (window == current_window)
        return;
    current_window = window;
    if (window != nullptr) {
        Platform::wgl_make_current(window->device_context, native_context);
    } else {
        Platform::wgl_make_current(bootstrap_window->device_context, native_context);
        current_frame = nullptr;
    }
}

void Context::set_frame(Frame::FrameBase* frame) {
    make_current(frame != nullptr ? frame->native_window : nullptr);
    current_frame = frame;
}

void Context::set_vsync(bool on) {
    Platform::wgl_swap_interval(on ? 1 : 0);
}

std::string Context::gl_string(unsigned int name) const {
    const GLubyte* text = glGetString(name);
    return text != nullptr ? reinterpret_cast<const char*>(text) : "Orv::Unknown";
}

void Context::report_gl_debug_message(unsigned int source, unsigned int type, unsigned int id,
                                      unsigned int severity, int, const char* message,
                                      const void* user) {
    if (dropped_id(id))
        return;
    const char* severity_text = severity_word(severity);
    if (severity_text == nullptr) {
        assert_warn(false, "Implementation error!");
        return;
    }
    const char* source_text = source_word(source);
    if (source_text == nullptr) {
        assert_warn(false, "Implementation error!");
        return;
    }
    const char* type_text = type_word(type);
    if (type_text == nullptr) {
        assert_warn(false, "Implementation error!");
        return;
    }
    // The address is written as the original platform's %p writes it: 16
    // upper-case hex digits, so that the 0x prefix is not doubled.
    std::printf("Orv context 0x%016" PRIXPTR " received %s (%s) from %s: \"%s\"\n",
                reinterpret_cast<std::uintptr_t>(user), severity_text, type_text, source_text,
                message != nullptr ? message : "");
    if (severity != GL_DEBUG_SEVERITY_NOTIFICATION) {
        // Runs inside the driver's GL call: end without unwinding through it.
        std::fflush(stdout);
        std::_Exit(EXIT_FAILURE);
    }
}

std::vector<std::string> split(const std::string& text, const std::string& delimiter,
                               int max_splits) {
    std::vector<std::string> pieces;
    if (!delimiter.empty()) {
        std::size_t start = 0;
        std::size_t found;
        while ((found = text.find(delimiter, start)) != std::string::npos) {
            pieces.push_back(text.substr(start, found - start));
            start = found + delimiter.size();
        }
        if (!pieces.empty())
            pieces.push_back(text.substr(start));
    }
    if (max_splits != -1) {
        assert_warn(max_splits > 0, "The maximum split number must be positive!");
        // A maximum of zero or below keeps everything in one piece.
        std::size_t keep = max_splits > 0 ? static_cast<std::size_t>(max_splits) + 1 : 1;
        while (pieces.size() > keep) {
            std::string last = pieces.back();
            pieces.pop_back();
            pieces.back() += delimiter + last;
        }
    }
    if (pieces.empty())
        pieces.push_back(text);
    return pieces;
}

void parse_version(const std::string& text, int* major, int* minor, int* release) {
    std::size_t start = 0;
    while (start >= text.size() || text[start] < '0' || text[start] > '9') {
        bool at_end = start >= text.size();
        assert_warn(!at_end, "Invalid version string!");
        if (at_end)
            break;
        ++start;
    }
    std::size_t end = text.find(' ', start);
    std::string numbers = start < text.size() ? text.substr(start, end - start) : std::string();
    std::vector<std::string> pieces = split(numbers, ".");
    assert_warn(pieces.size() == 2 || pieces.size() == 3,
                "Version string contains more than three or fewer than two numbers!");
    if (pieces.size() < 2)
        return;
    auto number = [](const std::string& piece) {
        // Wraps instead of overflowing on absurdly long pieces.
        unsigned int value = 0;
        for (char c : piece)
            value = value * 10u + static_cast<unsigned int>(c - '0');
        return static_cast<int>(value);
    };
    if (pieces.size() == 3)
        *release = number(pieces[2]);
    *major = number(pieces[0]);
    *minor = number(pieces[1]);
}

}  // namespace Orv

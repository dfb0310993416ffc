#include "windowing/native_window.h"

#include "math/assert_warn.h"
#include "windowing/frame.h"
#include "windowing/input/window_procedure.h"

namespace Orv::Frame {

int window_counter = 0;

std::uint32_t window_style(const Flags::Style& style, const Flags::Button& buttons) {
    std::uint32_t bits = Platform::WS_CLIPSIBLINGS | Platform::WS_CLIPCHILDREN;
    if (style & Flags::Style::RESIZABLE)
        bits |= Platform::WS_THICKFRAME;
    if (style & Flags::Style::TITLE)
        bits |= Platform::WS_CAPTION;
    if (style & Flags::Style::BORDER)
        bits |= Platform::WS_BORDER;
    if (buttons & Flags::Button::MINIMIZE)
        bits |= Platform::WS_MINIMIZEBOX;
    if (buttons & Flags::Button::MAXIMIZE)
        bits |= Platform::WS_MAXIMIZEBOX;
    if (buttons & Flags::Button::CLOSE) {
        bits |= Platform::WS_POPUP | Platform::WS_BORDER | Platform::WS_SYSMENU;
    }
    if (!(style & Flags::Style::BORDER))
        bits |= Platform::WS_POPUP;
    return bits;
}

std::uint32_t window_ex_style(const Flags::Style& style) {
    return (style & Flags::Style::TOOL) ? Platform::WS_EX_TOOLWINDOW : 0;
}

int choose_pixel_format(Platform::DeviceContextHandle dc,
                        Platform::PixelFormatDescriptor* descriptor) {
    using namespace Platform;
    int count = describe_pixel_format(dc, 1, sizeof(PixelFormatDescriptor), nullptr);
    for (int i = 1; i <= count; ++i) {
        if (describe_pixel_format(dc, i, sizeof(PixelFormatDescriptor), descriptor) == 0)
            continue;
        const PixelFormatDescriptor& d = *descriptor;
        const std::uint32_t required = PFD_DOUBLEBUFFER | PFD_SUPPORT_OPENGL | PFD_DRAW_TO_WINDOW;
        bool accepted = (d.flags & required) == required &&
                        ((d.flags & PFD_GENERIC_ACCELERATED) || !(d.flags & PFD_GENERIC_FORMAT)) &&
                        d.stencil_bits >= 8 && (d.depth_bits == 24 || d.depth_bits == 32) &&
                        d.red_bits >= 8 && d.green_bits >= 8 && d.blue_bits >= 8 &&
                        d.alpha_bits >= 8 && d.pixel_type == PFD_TYPE_RGBA;
        if (accepted)
            return i;
    }
    assert_warn(false, "No satisfactory pixel format could be found!  Choosing some random one.");
    return count;
}

NativeWindow::NativeWindow(const Flags::Style& style, const Flags::Button& buttons,
                           Platform::WindowHandle parent, int x, int y, int width, int height) {
    assert_warn(width > 0 && height > 0, "Implementation error!");
    std::string narrow = "window" + std::to_string(window_counter++);
    for (char c : narrow)
        class_name += static_cast<char16_t>(static_cast<unsigned char>(c));

    Platform::WindowClass window_class = {};
    window_class.style = Platform::CS_OWNDC;
    window_class.procedure = &Input::window_procedure;
    window_class.cursor = Platform::load_cursor(nullptr, Platform::IDC_ARROW);
    window_class.background = Platform::get_stock_object(Platform::BLACK_BRUSH);
    window_class.class_name = class_name.c_str();
    Platform::register_class(&window_class);

    window = Platform::create_window_ex(window_ex_style(style), class_name.c_str(),
                                        u"[default title]", window_style(style, buttons), x, y,
                                        width, height, parent, nullptr, nullptr, nullptr);
    device_context = Platform::get_dc(window);
    Platform::PixelFormatDescriptor descriptor = {};
    int format = choose_pixel_format(device_context, &descriptor);
    Platform::set_pixel_format(device_context, format, &descriptor);
}

NativeWindow::~NativeWindow() {
    if (frame_registry != nullptr)
        frame_registry->erase(window);
    Platform::release_dc(window, device_context);
    Platform::destroy_window(window);
    Platform::unregister_class(class_name.c_str(), nullptr);
}

}  // namespace Orv::Frame

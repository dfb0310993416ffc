// Preloaded into ik-demo to time its frames from outside the program: after
// every buffer swap it appends the monotonic time in seconds, one per line, to
// the file named by $IK_FRAME_TIMES. The program itself is left as it is.

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

// NOTE: declared by hand so that no X11 or GLX header is needed; the
// arguments are only passed through to the real function.
extern "C" void glXSwapBuffers(void* display, unsigned long drawable) {
    using Swap = void (*)(void*, unsigned long);
    static Swap real = reinterpret_cast<Swap>(dlsym(RTLD_NEXT, "glXSwapBuffers"));
    static std::FILE* out = [] {
        const char* path = std::getenv("IK_FRAME_TIMES");
        return path != nullptr ? std::fopen(path, "w") : nullptr;
    }();
    real(display, drawable);
    if (out != nullptr) {
        timespec now;
        clock_gettime(CLOCK_MONOTONIC, &now);
        std::fprintf(out, "%ld.%09ld\n", static_cast<long>(now.tv_sec), now.tv_nsec);
        std::fflush(out);
    }
}

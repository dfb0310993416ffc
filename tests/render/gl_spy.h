#pragma once

#include <GL/glew.h>

#include <vector>

// Records calls to GL entry points by swapping GLEW's function pointers while a recorder lives; the
// calls still reach the driver.
namespace gl_spy {

// Puts a hook in GLEW's pointer for one entry point while it lives and puts the saved pointer back
// after. Swaps may nest; the outermost one keeps the driver's entry point for the hook to call.
template <typename Proc, Proc* Slot>
class Swap {
public:
    explicit Swap(Proc hook) : saved_(*Slot) {
        if (saved_ != hook)
            original() = saved_;
        *Slot = hook;
    }
    ~Swap() { *Slot = saved_; }
    Swap(const Swap&) = delete;
    Swap& operator=(const Swap&) = delete;

    // The driver's entry point.
    static Proc& original() {
        static Proc f = nullptr;
        return f;
    }

private:
    Proc saved_;
};

class UseProgram {
public:
    UseProgram() { calls().clear(); }
    static std::vector<GLuint>& calls() {
        static std::vector<GLuint> c;
        return c;
    }

private:
    using Entry = Swap<PFNGLUSEPROGRAMPROC, &__glewUseProgram>;
    static void GLAPIENTRY hook(GLuint program) {
        calls().push_back(program);
        Entry::original()(program);
    }
    Entry swap_{&hook};
};

// Uniform matrix uploads, by location, for both the 3x3 and the 4x4 form.
class UniformMatrix {
public:
    struct Call {
        int size;  // 3 or 4
        GLint location;
    };
    UniformMatrix() { calls().clear(); }
    static std::vector<Call>& calls() {
        static std::vector<Call> c;
        return c;
    }

private:
    using Entry3 = Swap<PFNGLUNIFORMMATRIX3FVPROC, &__glewUniformMatrix3fv>;
    using Entry4 = Swap<PFNGLUNIFORMMATRIX4FVPROC, &__glewUniformMatrix4fv>;
    static void GLAPIENTRY hook3(GLint location, GLsizei count, GLboolean transpose,
                                 const GLfloat* value) {
        calls().push_back({3, location});
        Entry3::original()(location, count, transpose, value);
    }
    static void GLAPIENTRY hook4(GLint location, GLsizei count, GLboolean transpose,
                                 const GLfloat* value) {
        calls().push_back({4, location});
        Entry4::original()(location, count, transpose, value);
    }
    Entry3 swap3_{&hook3};
    Entry4 swap4_{&hook4};
};

// Renderbuffer storage allocations: the core entry point and the EXT one.
class RenderbufferStorage {
public:
    RenderbufferStorage() {
        core_calls() = 0;
        ext_calls() = 0;
    }
    static int& core_calls() {
        static int n = 0;
        return n;
    }
    static int& ext_calls() {
        static int n = 0;
        return n;
    }

private:
    using CoreEntry = Swap<PFNGLRENDERBUFFERSTORAGEPROC, &__glewRenderbufferStorage>;
    using ExtEntry = Swap<PFNGLRENDERBUFFERSTORAGEEXTPROC, &__glewRenderbufferStorageEXT>;
    static void GLAPIENTRY hook_core(GLenum target, GLenum format, GLsizei w, GLsizei h) {
        ++core_calls();
        CoreEntry::original()(target, format, w, h);
    }
    static void GLAPIENTRY hook_ext(GLenum target, GLenum format, GLsizei w, GLsizei h) {
        ++ext_calls();
        if (ExtEntry::original() != nullptr)
            ExtEntry::original()(target, format, w, h);
    }
    CoreEntry swap_core_{&hook_core};
    ExtEntry swap_ext_{&hook_ext};
};

}  // namespace gl_spy

#pragma once

#include <GL/glew.h>

#include <vector>

// Records calls to a GL entry point by swapping GLEW's function pointer while it lives; the calls
// still reach the driver.
namespace gl_spy {

class UseProgram {
public:
    UseProgram() : saved_(__glewUseProgram) {
        original() = saved_;
        calls().clear();
        __glewUseProgram = &hook;
    }
    ~UseProgram() { __glewUseProgram = saved_; }
    static std::vector<GLuint>& calls() {
        static std::vector<GLuint> c;
        return c;
    }

private:
    static PFNGLUSEPROGRAMPROC& original() {
        static PFNGLUSEPROGRAMPROC f = nullptr;
        return f;
    }
    static void GLAPIENTRY hook(GLuint program) {
        calls().push_back(program);
        original()(program);
    }
    PFNGLUSEPROGRAMPROC saved_;
};

// Uniform matrix uploads, by location, for both the 3x3 and the 4x4 form.
class UniformMatrix {
public:
    struct Call {
        int size;  // 3 or 4
        GLint location;
    };
    UniformMatrix() : saved3_(__glewUniformMatrix3fv), saved4_(__glewUniformMatrix4fv) {
        original3() = saved3_;
        original4() = saved4_;
        calls().clear();
        __glewUniformMatrix3fv = &hook3;
        __glewUniformMatrix4fv = &hook4;
    }
    ~UniformMatrix() {
        __glewUniformMatrix3fv = saved3_;
        __glewUniformMatrix4fv = saved4_;
    }
    static std::vector<Call>& calls() {
        static std::vector<Call> c;
        return c;
    }

private:
    static PFNGLUNIFORMMATRIX3FVPROC& original3() {
        static PFNGLUNIFORMMATRIX3FVPROC f = nullptr;
        return f;
    }
    static PFNGLUNIFORMMATRIX4FVPROC& original4() {
        static PFNGLUNIFORMMATRIX4FVPROC f = nullptr;
        return f;
    }
    static void GLAPIENTRY hook3(GLint location, GLsizei count, GLboolean transpose,
                                 const GLfloat* value) {
        calls().push_back({3, location});
        original3()(location, count, transpose, value);
    }
    static void GLAPIENTRY hook4(GLint location, GLsizei count, GLboolean transpose,
                                 const GLfloat* value) {
        calls().push_back({4, location});
        original4()(location, count, transpose, value);
    }
    PFNGLUNIFORMMATRIX3FVPROC saved3_;
    PFNGLUNIFORMMATRIX4FVPROC saved4_;
};

// Renderbuffer storage allocations: the core entry point and the EXT one.
class RenderbufferStorage {
public:
    RenderbufferStorage()
        : saved_core_(__glewRenderbufferStorage), saved_ext_(__glewRenderbufferStorageEXT) {
        original_core() = saved_core_;
        original_ext() = saved_ext_;
        core_calls() = 0;
        ext_calls() = 0;
        __glewRenderbufferStorage = &hook_core;
        __glewRenderbufferStorageEXT = &hook_ext;
    }
    ~RenderbufferStorage() {
        __glewRenderbufferStorage = saved_core_;
        __glewRenderbufferStorageEXT = saved_ext_;
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
    static PFNGLRENDERBUFFERSTORAGEPROC& original_core() {
        static PFNGLRENDERBUFFERSTORAGEPROC f = nullptr;
        return f;
    }
    static PFNGLRENDERBUFFERSTORAGEEXTPROC& original_ext() {
        static PFNGLRENDERBUFFERSTORAGEEXTPROC f = nullptr;
        return f;
    }
    static void GLAPIENTRY hook_core(GLenum target, GLenum format, GLsizei w, GLsizei h) {
        ++core_calls();
        original_core()(target, format, w, h);
    }
    static void GLAPIENTRY hook_ext(GLenum target, GLenum format, GLsizei w, GLsizei h) {
        ++ext_calls();
        if (original_ext() != nullptr)
            original_ext()(target, format, w, h);
    }
    PFNGLRENDERBUFFERSTORAGEPROC saved_core_;
    PFNGLRENDERBUFFERSTORAGEEXTPROC saved_ext_;
};

}  // namespace gl_spy

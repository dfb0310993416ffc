#include <string>

#include "math/assert_warn.h"
#include "render/shading/library_functions.h"
#include "render/shading/shader.h"

namespace Quarn::Shading {

namespace {

const char* const struct_block =
    "\nstruct Light { vec3 pos; vec3 color; vec3 spot_dir; float spot_exp; float spot_coscutoff; "
    "vec3 atten; };\n"
    "struct Material2D { vec3 ambient; vec3 refl_diff; vec3 refl_spec; float refl_exp; bool "
    "two_sided; };\n"
    "struct Material3D { vec3 ambient; vec3 refl_diff; vec3 refl_spec; float refl_exp; vec3 "
    "trans_spec; float ior; float alpha; };\n";

const char* const uniform_block =
    "uniform mat4 mat_P; uniform mat4 mat_V; uniform mat4 mat_Vinv; uniform mat4 mat_M; uniform "
    "mat3 mat_N; uniform mat4 mat_VM; uniform mat4 mat_PVM;\n"
    "uniform mat4 "
    "mat_V_cubexn,mat_V_cubexp,mat_V_cubeyn,mat_V_cubeyp,mat_V_cubezn,mat_V_cubezp;\n";

// Names crossing a geometry stage are plural, since they arrive once per input vertex.
std::string plural(const std::string& name) {
    if (name.find("vec") == std::string::npos)
        return name + "s";
    std::string out;
    size_t at = 0;
    for (size_t hit = name.find("vec"); hit != std::string::npos; hit = name.find("vec", at)) {
        out += name.substr(at, hit - at) + "vecs";
        at = hit + 3;
    }
    return out + name.substr(at);
}

void append_declaration(std::string& source, int count, const char* prefix, const char* element) {
    if (count <= 0)
        return;
    source += prefix;
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            source += ",";
        source += element + std::to_string(i);
    }
    source += ";\n";
}

}  // namespace

void ShaderBase::generate_as(const StageLayout& /*layout*/) {
    assert_warn(!generated, "Cannot generate shader; shader is already generated!");
    generated = true;
    source = "#version " + glsl_version_number(gl_version) + struct_block;
    append_declaration(source, num_tex1D, "uniform sampler1D ", "tex1D_");
    append_declaration(source, num_tex2D, "uniform sampler2D ", "tex2D_");
    append_declaration(source, num_tex3D, "uniform sampler3D ", "tex3D_");
    append_declaration(source, num_texCube, "uniform samplerCube ", "texCube_");
    append_declaration(source, num_lights, "uniform struct Light ", "light");
    append_declaration(source, num_materials2D, "uniform struct Material2D ", "mat2D_");
    append_declaration(source, num_materials3D, "uniform struct Material3D ", "mat3D_");
}

void ShaderBase::append_pre_main() {
    if (!pre_main_a.empty())
        source += "\n" + pre_main_a + "\n";
    if (!pre_main_b.empty())
        source += "\n" + pre_main_b + "\n";
    source += "void main(void) {\n\t";
}

void ShaderBase::emit_variables(const StageLayout& layout, EmitMode mode, int space_or_count,
                                int newlines) {
    if (mode == declare)
        source += uniform_block;
    for (const ShaderVariable& v : variables) {
        switch (shader_kind) {
            case GL_VERTEX_SHADER:
                emit_vertex(v, layout, mode, space_or_count);
                break;
            case GL_FRAGMENT_SHADER:
                emit_fragment(v, layout, mode);
                break;
            case GL_GEOMETRY_SHADER:
                emit_geometry(v, mode, space_or_count);
                break;
            default:
                assert_warn(false, "Implementation error or not implemented!");
                break;
        }
    }
    for (int i = 0; i < newlines; ++i)
        source += "\n";
}

void ShaderBase::emit_vertex(const ShaderVariable& v, const StageLayout& layout, EmitMode mode,
                             int space) {
    const std::string& t = v.type_name;
    const std::string& n = v.name;
    const std::string np = (layout.geometry && v.arrayed) ? plural(n) : n;
    const std::string s = layout.geometry ? "_vg" : "_vf";
    switch (mode) {
        case declare:
            if (v.attribute_components > 0) {
                source += "ATTR " + v.attribute_type_name + " _" + n + "_a;";
            }
            if (v.per_space) {
                source += t + " " + n + "_obj," + n + "_wld," + n + "_eye;out " + t + " _" + np +
                          "_obj" + s + ",_" + np + "_wld" + s + ",_" + np + "_eye" + s + ";";
            } else {
                source += t + " " + n + ";out " + t + " _" + np + s + ";";
            }
            break;
        case compute:
            switch (space) {
                case obj:
                    source += v.code_obj;
                    break;
                case wld:
                    source += v.code_wld;
                    break;
                case eye:
                    source += v.code_eye;
                    break;
                default:
                    assert_warn(false, "Implementation error!");
                    break;
            }
            break;
        case store:
            if (v.per_space) {
                source += "_" + np + "_obj" + s + "=" + n + "_obj;_" + np + "_wld" + s + "=" + n +
                          "_wld;_" + np + "_eye" + s + "=" + n + "_eye;";
            } else {
                source += "_" + np + s + "=" + n + ";";
            }
            break;
        default:
            assert_warn(false, "Implementation error!");
            break;
    }
}

void ShaderBase::emit_fragment(const ShaderVariable& v, const StageLayout& layout, EmitMode mode) {
    const std::string& t = v.type_name;
    const std::string& n = v.name;
    const std::string s = layout.geometry ? "_gf" : (layout.vertex ? "_vf" : "");
    switch (mode) {
        case declare:
            if (v.per_space) {
                source += "in " + t + " _" + n + "_obj" + s + ",_" + n + "_wld" + s + ",_" + n +
                          "_eye" + s + ";" + t + " " + n + "_obj," + n + "_wld," + n + "_eye;";
            } else {
                source += "in " + t + " _" + n + s + ";" + t + " " + n + ";";
            }
            break;
        case compute: {
            auto copy = [&](const std::string& x) {
                const std::string input = "_" + n + x + s;
                source += n + x + "=" + (v.normalized ? "normalize(" + input + ")" : input) + ";";
            };
            if (v.per_space) {
                copy("_obj");
                copy("_wld");
                copy("_eye");
            } else {
                copy("");
            }
            break;
        }
        default:
            assert_warn(false, "Implementation error!");
            break;
    }
}

void ShaderBase::emit_geometry(const ShaderVariable& v, EmitMode mode, int count) {
    const std::string& t = v.type_name;
    const std::string& n = v.name;
    const std::string np = v.arrayed ? plural(n) : n;
    const std::string c = std::to_string(count);
    static const char* const spaces[] = {"_obj", "_wld", "_eye"};
    switch (mode) {
        case declare:
            if (v.per_space) {
                source += "in " + t + " _" + np + "_obj_vg[" + c + "],_" + np + "_wld_vg[" + c +
                          "],_" + np + "_eye_vg[" + c + "];";
                if (v.arrayed) {
                    source += t + " " + np + "_obj[" + c + "]," + np + "_wld[" + c + "]," + np +
                              "_eye[" + c + "];";
                }
                source += t + " " + n + "_obj," + n + "_wld," + n + "_eye;out " + t + " _" + n +
                          "_obj_gf,_" + n + "_wld_gf,_" + n + "_eye_gf;";
            } else {
                source += "in " + t + " _" + np + "_vg[" + c + "];";
                if (v.arrayed)
                    source += t + " " + np + "[" + c + "];";
                source += t + " " + n + ";out " + t + " _" + n + "_gf;";
            }
            break;
        case compute:
            if (v.per_space && v.arrayed) {
                for (int i = 0; i < count; ++i) {
                    const std::string idx = "[" + std::to_string(i) + "]";
                    for (const char* x : spaces) {
                        source += np + x + idx + "=_" + np + x + "_vg" + idx + ";";
                    }
                }
            } else if (v.per_space) {
                for (const char* x : spaces)
                    source += np + x + "=_" + np + x + "_vg[0];";
            } else if (v.arrayed) {
                for (int i = 0; i < count; ++i) {
                    const std::string idx = "[" + std::to_string(i) + "]";
                    source += np + idx + "=_" + np + "_vg" + idx + ";";
                }
            } else {
                source += np + "=_" + np + "_vg[0];";
            }
            break;
        case fetch:
            if (!v.arrayed)
                break;
            if (v.per_space) {
                for (const char* x : spaces)
                    source += n + x + "=" + np + x + "[from_index];";
            } else {
                source += n + "=" + np + "[from_index];";
            }
            break;
        case store:
            if (v.per_space) {
                for (const char* x : spaces)
                    source += "_" + n + x + "_gf=" + n + x + ";";
            } else {
                source += "_" + n + "_gf=" + n + ";";
            }
            break;
        default:
            assert_warn(false, "Implementation error!");
            break;
    }
}

void ShaderVertex::generate_as(const StageLayout& layout) {
    ShaderBase::generate_as(layout);
    source += gl_version.major >= 3 ? "#define ATTR in\n" : "#define ATTR attribute\n";
    source += "\n";
    emit_variables(layout, declare, 0, 1);
    append_pre_main();
    emit_variables(layout, compute, obj, 1);
    if (!code_obj.empty())
        source += "\n" + code_obj + "\n";
    source += "\t";
    emit_variables(layout, compute, wld, 1);
    if (!code_wld.empty())
        source += "\n" + code_wld + "\n";
    source += "\t";
    emit_variables(layout, compute, eye, 1);
    source += code_eye.empty() ? "\n" : "\n" + code_eye + "\n";
    source += "\t";
    emit_variables(layout, store, 0, 1);
    source += "\n\tgl_Position = mat_P * vec_vert_eye;\n\tgl_PointSize = point_size;\n}\n";
}

void ShaderFragment::generate_as(const StageLayout& layout) {
    ShaderBase::generate_as(layout);
    source += gl_version.major >= 3 ? "#define COLOR(I) out_color[I]\nout vec4 out_color[8];\n"
                                    : "#define COLOR(I) gl_FragData[I]\n";
    source += "#define DEPTH gl_FragDepth\n\n";
    emit_variables(layout, declare, 0, 1);
    append_library_functions(body, source);
    append_pre_main();
    emit_variables(layout, compute, 0, 0);
    source += "\n\tCOLOR(0) = vec4(0.0,0.0,0.0,1.0);\n";
    if (!body.empty())
        source += "\n" + body;
    source += "}\n";
}

}  // namespace Quarn::Shading

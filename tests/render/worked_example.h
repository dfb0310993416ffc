#pragma once

#include <string>
#include <vector>

// The sources generated for the demo's line program on a GL 4.0 context, one entry per line.
namespace worked_example {

inline const std::vector<std::string> line_vertex_lines = {
    "#version 400",
    "struct Light { vec3 pos; vec3 color; vec3 spot_dir; float spot_exp; float spot_coscutoff; "
    "vec3 atten; };",
    "struct Material2D { vec3 ambient; vec3 refl_diff; vec3 refl_spec; float refl_exp; bool "
    "two_sided; };",
    "struct Material3D { vec3 ambient; vec3 refl_diff; vec3 refl_spec; float refl_exp; vec3 "
    "trans_spec; float ior; float alpha; };",
    "#define ATTR in",
    "",
    "uniform mat4 mat_P; uniform mat4 mat_V; uniform mat4 mat_Vinv; uniform mat4 mat_M; uniform "
    "mat3 mat_N; uniform mat4 mat_VM; uniform mat4 mat_PVM;",
    "uniform mat4 mat_V_cubexn,mat_V_cubexp,mat_V_cubeyn,mat_V_cubeyp,mat_V_cubezn,mat_V_cubezp;",
    "ATTR vec4 _vec_vert_a;vec4 vec_vert_obj,vec_vert_wld,vec_vert_eye;out vec4 "
    "_vec_vert_obj_vf,_vec_vert_wld_vf,_vec_vert_eye_vf;ATTR vec3 _vec_norm_a;vec3 "
    "vec_norm_obj,vec_norm_wld,vec_norm_eye;out vec3 "
    "_vec_norm_obj_vf,_vec_norm_wld_vf,_vec_norm_eye_vf;ATTR vec4 _vec_tang_a;vec3 "
    "vec_tang_obj,vec_tang_wld,vec_tang_eye;out vec3 "
    "_vec_tang_obj_vf,_vec_tang_wld_vf,_vec_tang_eye_vf;vec3 "
    "vec_btng_obj,vec_btng_wld,vec_btng_eye;out vec3 "
    "_vec_btng_obj_vf,_vec_btng_wld_vf,_vec_btng_eye_vf;ATTR vec4 _color_a;vec4 color;out vec4 "
    "_color_vf;vec3 camera_pos;out vec3 _camera_pos_vf;ATTR vec4 _texcoord_a;vec4 texcoord;out "
    "vec4 _texcoord_vf;float point_size;out float _point_size_vf;",
    "void main(void) {",
    "\tvec_vert_obj=_vec_vert_a;vec_norm_obj=_vec_norm_a;vec_tang_obj=_vec_tang_a.xyz;vec_btng_obj="
    "cross(_vec_norm_a,_vec_tang_a.xyz)*_vec_tang_a.w;color=_color_a;camera_pos=(mat_Vinv*vec4(0.0,"
    "0.0,0.0,1.0)).xyz;texcoord=_texcoord_a;point_size=1.0;",
    "\tvec_vert_wld=mat_M*vec_vert_obj;vec_norm_wld=mat_N*vec_norm_obj;vec_tang_wld= "
    "mat_N*vec_tang_obj;vec_btng_wld= mat_N*vec_btng_obj;",
    "\tvec_vert_eye=mat_V*vec_vert_wld;vec_norm_eye=(mat_V*vec4(vec_norm_wld,1.0)).xyz;vec_tang_"
    "eye=(mat_V*vec4(vec_tang_wld,1.0)).xyz;vec_btng_eye=(mat_V*vec4(vec_btng_wld,1.0)).xyz;",
    "",
    "\t_vec_vert_obj_vf=vec_vert_obj;_vec_vert_wld_vf=vec_vert_wld;_vec_vert_eye_vf=vec_vert_eye;_"
    "vec_norm_obj_vf=vec_norm_obj;_vec_norm_wld_vf=vec_norm_wld;_vec_norm_eye_vf=vec_norm_eye;_vec_"
    "tang_obj_vf=vec_tang_obj;_vec_tang_wld_vf=vec_tang_wld;_vec_tang_eye_vf=vec_tang_eye;_vec_"
    "btng_obj_vf=vec_btng_obj;_vec_btng_wld_vf=vec_btng_wld;_vec_btng_eye_vf=vec_btng_eye;_color_"
    "vf=color;_camera_pos_vf=camera_pos;_texcoord_vf=texcoord;_point_size_vf=point_size;",
    "",
    "\tgl_Position = mat_P * vec_vert_eye;",
    "\tgl_PointSize = point_size;",
    "}",
};

inline const std::vector<std::string> line_fragment_lines = {
    "#version 400",
    "struct Light { vec3 pos; vec3 color; vec3 spot_dir; float spot_exp; float spot_coscutoff; "
    "vec3 atten; };",
    "struct Material2D { vec3 ambient; vec3 refl_diff; vec3 refl_spec; float refl_exp; bool "
    "two_sided; };",
    "struct Material3D { vec3 ambient; vec3 refl_diff; vec3 refl_spec; float refl_exp; vec3 "
    "trans_spec; float ior; float alpha; };",
    "#define COLOR(I) out_color[I]",
    "out vec4 out_color[8];",
    "#define DEPTH gl_FragDepth",
    "",
    "uniform mat4 mat_P; uniform mat4 mat_V; uniform mat4 mat_Vinv; uniform mat4 mat_M; uniform "
    "mat3 mat_N; uniform mat4 mat_VM; uniform mat4 mat_PVM;",
    "uniform mat4 mat_V_cubexn,mat_V_cubexp,mat_V_cubeyn,mat_V_cubeyp,mat_V_cubezn,mat_V_cubezp;",
    "in vec4 _vec_vert_obj_vf,_vec_vert_wld_vf,_vec_vert_eye_vf;vec4 "
    "vec_vert_obj,vec_vert_wld,vec_vert_eye;in vec3 "
    "_vec_norm_obj_vf,_vec_norm_wld_vf,_vec_norm_eye_vf;vec3 "
    "vec_norm_obj,vec_norm_wld,vec_norm_eye;in vec3 "
    "_vec_tang_obj_vf,_vec_tang_wld_vf,_vec_tang_eye_vf;vec3 "
    "vec_tang_obj,vec_tang_wld,vec_tang_eye;in vec3 "
    "_vec_btng_obj_vf,_vec_btng_wld_vf,_vec_btng_eye_vf;vec3 "
    "vec_btng_obj,vec_btng_wld,vec_btng_eye;in vec4 _color_vf;vec4 color;in vec3 "
    "_camera_pos_vf;vec3 camera_pos;in vec4 _texcoord_vf;vec4 texcoord;in float "
    "_point_size_vf;float point_size;",
    "void main(void) {",
    "\tvec_vert_obj=_vec_vert_obj_vf;vec_vert_wld=_vec_vert_wld_vf;vec_vert_eye=_vec_vert_eye_vf;"
    "vec_norm_obj=normalize(_vec_norm_obj_vf);vec_norm_wld=normalize(_vec_norm_wld_vf);vec_norm_"
    "eye=normalize(_vec_norm_eye_vf);vec_tang_obj=normalize(_vec_tang_obj_vf);vec_tang_wld="
    "normalize(_vec_tang_wld_vf);vec_tang_eye=normalize(_vec_tang_eye_vf);vec_btng_obj=normalize(_"
    "vec_btng_obj_vf);vec_btng_wld=normalize(_vec_btng_wld_vf);vec_btng_eye=normalize(_vec_btng_"
    "eye_vf);color=_color_vf;camera_pos=_camera_pos_vf;texcoord=_texcoord_vf;point_size=_point_"
    "size_vf;",
    "\tCOLOR(0) = vec4(0.0,0.0,0.0,1.0);",
    "",
    "\tCOLOR(0) = color;",
    "}",
};

// The demo's point program differs from the line program in the eye-space user line of the
// vertex stage and in the fragment body.
inline const std::string point_code_eye = "point_size = 100.0 / length(vec_vert_eye.xyz);\n";
inline const std::string point_body =
    "\tvec2 del = gl_PointCoord - vec2(0.5);\n\tif (length(del)>0.5) discard;\n\n\tCOLOR(0) = "
    "color;\n";
inline const std::string line_body = "\tCOLOR(0) = color;\n";

inline std::vector<std::string> point_vertex_lines() {
    std::vector<std::string> out(line_vertex_lines.begin(), line_vertex_lines.begin() + 13);
    out.insert(out.end(), {"", "point_size = 100.0 / length(vec_vert_eye.xyz);", ""});
    out.insert(out.end(), line_vertex_lines.begin() + 14, line_vertex_lines.end());
    return out;
}

inline std::vector<std::string> point_fragment_lines() {
    std::vector<std::string> out(line_fragment_lines.begin(), line_fragment_lines.begin() + 15);
    out.insert(out.end(), {"\tvec2 del = gl_PointCoord - vec2(0.5);",
                           "\tif (length(del)>0.5) discard;", "", "\tCOLOR(0) = color;", "}"});
    return out;
}

// Splits a source at its newlines; a final newline ends the last line rather than opening one.
inline std::vector<std::string> split_lines(const std::string& text) {
    std::vector<std::string> out;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        out.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return out;
}

}  // namespace worked_example

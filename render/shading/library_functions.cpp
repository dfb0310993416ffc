#include "render/shading/library_functions.h"

namespace Quarn::Shading {

namespace {

const char* const lighting_block =
    "vec3 get_light_amb_factor(in const Material2D material) { return material.ambient; }\n"
    "vec3 get_light_amb_factor(in const Material3D material) { return material.ambient; }\n"
    "vec3 get_light_diff_factor(in const Material2D material, in const Light light) { vec3 "
    "vec_light_wld = normalize(light.pos - vec_vert_wld.xyz); float n_dot_l = "
    "dot(vec_norm_wld,vec_light_wld); if (n_dot_l<=0.0) { if (material.two_sided) { n_dot_l = "
    "-n_dot_l; } else { return vec3(0.0); } } return light.color * material.refl_diff * n_dot_l; "
    "}\n"
    "vec3 get_light_diff_factor(in const Material3D material, in const Light light) { vec3 "
    "vec_light_wld = normalize(light.pos - vec_vert_wld.xyz); float n_dot_l = "
    "dot(vec_norm_wld,vec_light_wld); if (n_dot_l>0.0) { return light.color * material.refl_diff * "
    "n_dot_l; } else { return vec3(0.0); } }\n"
    "vec3 get_light_blinn_factor(in const Material2D material, in const Light light) { vec3 "
    "vec_light_wld = normalize(light.pos - vec_vert_wld.xyz); vec3 vec_eye_wld = "
    "normalize(camera_pos - vec_vert_wld.xyz); vec3 hvec = normalize(vec_light_wld + vec_eye_wld); "
    "float n_dot_l = dot(vec_norm_wld,vec_light_wld); float n_dot_h = dot(hvec,vec_norm_wld); if "
    "(n_dot_l<=0.0) { if (material.two_sided) { n_dot_h = -n_dot_h; } else { return vec3(0.0); } } "
    "return light.color * material.refl_spec * pow(clamp(n_dot_h,0.0,1.0),material.refl_exp); }\n"
    "vec3 get_light_blinn_factor(in const Material3D material, in const Light light) { vec3 "
    "vec_light_wld = normalize(light.pos - vec_vert_wld.xyz); vec3 vec_eye_wld = "
    "normalize(camera_pos - vec_vert_wld.xyz); vec3 hvec = normalize(vec_light_wld + vec_eye_wld); "
    "float n_dot_l = dot(vec_norm_wld,vec_light_wld); float n_dot_h = dot(hvec,vec_norm_wld); if "
    "(n_dot_l>0.0) { return light.color * material.refl_spec * "
    "pow(clamp(n_dot_h,0.0,1.0),material.refl_exp); } else { return vec3(0.0); } }\n"
    "vec3 get_light_blinn_model(in const Material2D material, in const Light light) { return "
    "get_light_amb_factor(material) + get_light_diff_factor(material,light) + "
    "get_light_blinn_factor(material,light);}\n"
    "vec3 get_light_blinn_model(in const Material3D material, in const Light light) { return "
    "get_light_amb_factor(material) + get_light_diff_factor(material,light) + "
    "get_light_blinn_factor(material,light);}\n";

const char* const shadow_map_block =
    "float get_shadowmap(sampler2D depthtex,vec4 light_vert) {\n"
    "\tfloat value = -1.0;\n"
    "\tif (light_vert.w>0.0) {\n"
    "\t\tvec3 testcoord = light_vert.xyz/light_vert.w;\n"
    "\t\tif (testcoord.x>=0.0 && testcoord.x<=1.0 && testcoord.y>=0.0 && testcoord.y<=1.0) {\n"
    "\t\t\tvalue = (clamp(testcoord.z,0.0,1.0)<=texture2DProj(depthtex,light_vert).r) ? 1.0:0.0;\n"
    "\t\t}\n"
    "\t}\n"
    "\treturn value;\n"
    "}\n";

const char* const cube_map_block =
    "float get_cubemap_shadowmap(samplerCube depthtex, vec3 center, float near,float far) {\n"
    "\tvec3 dir = vec_vert_wld.xyz - center;\n"
    "\n"
    "\tvec3 adir = abs(dir);\n"
    "\tfloat world_depth;\n"
    "\tif      (adir.x>adir.y && adir.x>adir.z) world_depth=adir.x;\n"
    "\telse if (adir.y>adir.x && adir.y>adir.z) world_depth=adir.y;\n"
    "\telse                                     world_depth=adir.z;\n"
    "\n"
    "\tfloat shaddepth = texture(depthtex,normalize(dir)).r;\n"
    "\tfloat world_shaddepth = -near*far / (shaddepth*(far-near)-far);\n"
    "\n"
    "\treturn (world_depth>world_shaddepth) ? 0.0 : 1.0;\n"
    "}\n"
    "vec4 get_cubemap_reflect(samplerCube cubetex, vec3 cubemap_normal_wld) {\n"
    "\tvec3 vec_refl_wld = reflect(-normalize(camera_pos-vec_vert_wld.xyz),cubemap_normal_wld);\n"
    "\treturn texture(cubetex,vec_refl_wld);\n"
    "}\n"
    "vec4 get_cubemap_refract(samplerCube cubetex, vec3 cubemap_normal_wld, float eta) {\n"
    "\tvec3 vec_refr_wld = "
    "refract(-normalize(camera_pos-vec_vert_wld.xyz),cubemap_normal_wld,eta);\n"
    "\treturn texture(cubetex,vec_refr_wld);\n"
    "}\n";

const char* const normal_map_block =
    "vec3 get_normalmap(sampler2D normalmap, vec2 uv) {\n"
    "\tvec3 normalmap_tap = texture(normalmap,uv).rgb;\n"
    "\tvec3 rel_norm_obj = vec3((normalmap_tap.rg-0.5)*2.0,normalmap_tap.b);\n"
    "\treturn normalize(mat3(vec_tang_obj,vec_btng_obj,vec_norm_obj)*rel_norm_obj);\n"
    "}\n";

const char* const parallax_block =
    "vec2 get_parallaxmap(sampler2D heightmap, vec2 texcoords, float scale, bool recip) {\n"
    "\tmat3 tbn = inverse(mat3(vec_tang_wld,vec_btng_wld,vec_norm_wld));\n"
    "\tvec3 v = tbn * normalize(camera_pos - vec_vert_wld.xyz);\n"
    "\tfloat h = texture(heightmap,texcoords).x;\n"
    "\th = recip ? h : 1.0-h;\n"
    "\tfloat hsb = scale * h;\n"
    "\tvec2 offset = hsb/v.z * v.xy;\n"
    "\tfloat loffset = length(offset);\n"
    "\tif (loffset>hsb) {\n"
    "\t\toffset = hsb/loffset * offset;\n"
    "\t}\n"
    "\treturn -offset;\n"
    "}\n"
    "vec2 get_parallaxocculsionmap(sampler2D heightmap, vec2 texcoords, float scale, bool recip, "
    "int min_samples,int max_samples) {\n"
    "\tvec3 vec_view_wld = normalize(camera_pos - vec_vert_wld.xyz);\n"
    "\tint num_steps = int(mix( max_samples,min_samples, dot(vec_view_wld,vec_norm_wld) ));\n"
    "\tmat3 tbn = inverse(mat3(vec_tang_wld,vec_btng_wld,vec_norm_wld));\n"
    "\tvec3 vec_view_tng = tbn * vec_view_wld;\n"
    "\tvec2 vParallaxDirection = normalize(vec_view_tng.xy);\n"
    "\tfloat fLength = length(vec_view_tng);\n"
    "\tfloat fParallaxLength = sqrt( fLength*fLength - vec_view_tng.z*vec_view_tng.z ) / "
    "vec_view_tng.z;\n"
    "\tvec2 vParallaxOffsetTS = fParallaxLength * vParallaxDirection;\n"
    "\tfloat fStepSize = 1.0 / float(num_steps);\n"
    "\tvec2 vTexOffsetPerStep = fStepSize * vParallaxOffsetTS;\n"
    "\tfloat fCurrentBound = 1.0;\n"
    "\tvec2 pt1 = vec2(0.0);\n"
    "\tvec2 pt2 = vec2(0.0);\n"
    "\tvec2 texOffset2 = vec2(0.0);\n"
    "\tfloat fPrevHeight = 1.0;\n"
    "\tfor (int i=0;i<num_steps;++i) {\n"
    "\t\ttexcoords -= vTexOffsetPerStep;\n"
    "\t\tfloat h = texture(heightmap, texcoords).r;\n"
    "\t\th = recip ? 1.0-h : h;\n"
    "\t\tfloat fCurrHeight = 1.0-scale + scale*h;\n"
    "\t\tfCurrentBound -= fStepSize;\n"
    "\t\tif (fCurrHeight > fCurrentBound) {\n"
    "\t\t\tpt1 = vec2( fCurrentBound, fCurrHeight );\n"
    "\t\t\tpt2 = vec2( fCurrentBound + fStepSize, fPrevHeight );\n"
    "\t\t\ttexOffset2 = texcoords - vTexOffsetPerStep;\n"
    "\t\t\tbreak;\n"
    "\t\t} else {\n"
    "\t\t\tfPrevHeight = fCurrHeight;\n"
    "\t\t}\n"
    "\t}\n"
    "\tfloat fDelta1 = pt1.x - pt1.y;\n"
    "\tfloat fDelta2 = pt2.x - pt2.y;\n"
    "\tfloat fParallaxAmount = (pt1.x * fDelta2 - pt2.x * fDelta1 ) / ( fDelta2 - fDelta1 );\n"
    "\tvec2 vParallaxOffset = vParallaxOffsetTS * (1.0 - fParallaxAmount);\n"
    "\treturn -vParallaxOffset;\n"
    "}\n";

const char* const caustic_map_block =
    "vec3 get_causticmap(sampler2D caustictex,vec4 light_vert) {\n"
    "\tvec3 value = vec3(-1.0);\n"
    "\tif (light_vert.w>0.0) {\n"
    "\t\tvec3 testcoord = light_vert.xyz/light_vert.w;\n"
    "\t\tif (testcoord.x>=0.0 && testcoord.x<=1.0 && testcoord.y>=0.0 && testcoord.y<=1.0) {\n"
    "\t\t\tvalue = texture2DProj(caustictex,light_vert).rgb;\n"
    "\t\t}\n"
    "\t}\n"
    "\treturn value;\n"
    "}\n";

}  // namespace

const std::vector<LibraryBlock>& library_blocks() {
    static const std::vector<LibraryBlock> blocks = {
        {"lighting",
         {"get_light_amb_factor", "get_light_diff_factor", "get_light_blinn_factor",
          "get_light_blinn_model"},
         lighting_block},
        {"shadow map", {"get_shadowmap"}, shadow_map_block},
        {"cube map",
         {"get_cubemap_shadowmap", "get_cubemap_reflect", "get_cubemap_refract"},
         cube_map_block},
        {"normal map", {"get_normalmap"}, normal_map_block},
        {"parallax", {"get_parallaxmap", "get_parallaxocculsionmap"}, parallax_block},
        {"caustic map", {"get_causticmap"}, caustic_map_block},
    };
    return blocks;
}

void append_library_functions(const std::string& body, std::string& source) {
    for (const LibraryBlock& block : library_blocks()) {
        for (const std::string& trigger : block.triggers) {
            if (body.find(trigger) != std::string::npos) {
                source += block.text;
                break;
            }
        }
    }
}

}  // namespace Quarn::Shading

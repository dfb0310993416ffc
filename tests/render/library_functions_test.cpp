#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "render/shading/library_functions.h"
#include "render/shading/shader.h"

using Quarn::Shading::library_blocks;

namespace {

const char* block_text(const std::string& name) {
    for (const auto& block : library_blocks()) {
        if (name == block.name)
            return block.text;
    }
    ADD_FAILURE() << "no block " << name;
    return "";
}

std::string blocks(const std::vector<std::string>& names) {
    std::string out;
    for (const std::string& name : names)
        out += block_text(name);
    return out;
}

}  // namespace

TEST(LibraryBlocks, OrderAndLengths) {
    const struct {
        const char* name;
        size_t length;
    } expected[] = {{"lighting", 2228},  {"shadow map", 351}, {"cube map", 954},
                    {"normal map", 251}, {"parallax", 2013},  {"caustic map", 322}};
    ASSERT_EQ(library_blocks().size(), 6u);
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_STREQ(library_blocks()[i].name, expected[i].name);
        EXPECT_EQ(std::strlen(library_blocks()[i].text), expected[i].length) << expected[i].name;
    }
    EXPECT_EQ(std::string(block_text("normal map")),
              "vec3 get_normalmap(sampler2D normalmap, vec2 uv) {\n\tvec3 normalmap_tap = "
              "texture(normalmap,uv).rgb;\n\tvec3 rel_norm_obj = "
              "vec3((normalmap_tap.rg-0.5)*2.0,normalmap_tap.b);\n\treturn "
              "normalize(mat3(vec_tang_obj,vec_btng_obj,vec_norm_obj)*rel_norm_obj);\n}\n");
}

TEST(LibraryBlocks, Selection) {
    const struct {
        std::string body;
        std::vector<std::string> appended;
    } cases[] = {
        {"", {}},
        {"\tCOLOR(0) = color;\n", {}},
        {"get_light_amb_factor(m)", {"lighting"}},
        {"get_light_diff_factor(m,l)", {"lighting"}},
        {"get_light_blinn_factor(m,l)", {"lighting"}},
        // Several names of one block still give the block once.
        {"get_light_blinn_model(m,l) + get_light_amb_factor(m)", {"lighting"}},
        {"get_shadowmap(t,v)", {"shadow map"}},
        {"get_cubemap_shadowmap(t,c,n,f)", {"cube map"}},
        {"get_cubemap_reflect(t,n)", {"cube map"}},
        {"get_cubemap_refract(t,n,e)", {"cube map"}},
        {"get_normalmap(t,uv)", {"normal map"}},
        {"get_parallaxmap(t,uv,s,r)", {"parallax"}},
        {"get_parallaxocculsionmap(t,uv,s,r,1,8)", {"parallax"}},
        {"get_causticmap(t,v)", {"caustic map"}},
        // Library order, whatever the body's order.
        {"get_causticmap(t,v); get_light_amb_factor(m);", {"lighting", "caustic map"}},
        {"get_normalmap get_cubemap_reflect get_shadowmap get_parallaxmap",
         {"shadow map", "cube map", "normal map", "parallax"}},
        // Plain substrings: comments and longer identifiers count.
        {"// get_shadowmap is not called\n", {"shadow map"}},
        {"float my_get_shadowmap_value = 1.0;", {"shadow map"}},
    };
    for (const auto& c : cases) {
        std::string source = "HEAD";
        Quarn::Shading::append_library_functions(c.body, source);
        EXPECT_EQ(source, "HEAD" + blocks(c.appended)) << "body: " << c.body;
    }
}

TEST(LibraryBlocks, PlacedAfterDeclarationsAndBeforeMain) {
    Quarn::Shading::ShaderFragment fragment(Quarn::Shading::GLVersion{4, 0},
                                            "\tCOLOR(0) = vec4(get_normalmap(tex2D_0,uv),1.0);\n");
    fragment.generate_as(Quarn::Shading::StageLayout{true, false});
    const std::string expected_join =
        "float point_size;\n" + std::string(block_text("normal map")) + "void main(void) {\n";
    EXPECT_NE(fragment.source.find(expected_join), std::string::npos) << fragment.source;

    Quarn::Shading::ShaderVertex vertex(Quarn::Shading::GLVersion{4, 0}, "get_normalmap", "", "");
    vertex.generate_as(Quarn::Shading::StageLayout{true, false});
    EXPECT_EQ(vertex.source.find("vec3 get_normalmap("), std::string::npos)
        << "vertex shaders take no library functions";
}

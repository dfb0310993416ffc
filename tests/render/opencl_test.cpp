#include <gtest/gtest.h>

#include <CL/cl.h>

#include <string>
#include <vector>

#include "render/library_state.h"
#include "render/opencl.h"
#include "tests/support/warn_recorder.h"

TEST(OpenCLErrorName, NamesOfTheStandard) {
    const struct {
        int code;
        const char* name;
    } cases[] = {
        {0, "0:CL_SUCCESS"},
        {-1, "-1:CL_DEVICE_NOT_FOUND"},
        {-5, "-5:CL_OUT_OF_RESOURCES"},
        {-11, "-11:CL_BUILD_PROGRAM_FAILURE"},
        {-14, "-14:CL_EXEC_STATUS_ERROR_FOR_EVENTS_IN_WAIT_LIST"},
        {-30, "-30:CL_INVALID_VALUE"},
        {-45, "-45:CL_INVALID_PROGRAM_EXECUTABLE"},
        {-64, "-64:CL_INVALID_PROPERTY"},
        {-15, "-15:Unknown"},
        {-20, "-20:Unknown"},
        {-29, "-29:Unknown"},
        {-65, "-65:Unknown"},
        {3, "3:Unknown"},
        {-1001, "-1001:Unknown"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Quarn::opencl_error_name(c.code), c.name);
}

TEST(OpenCLErrorName, EveryCodeOfVersionOneOneIsNamed) {
    std::vector<int> codes = {0};
    for (int code = -1; code >= -14; --code)
        codes.push_back(code);
    for (int code = -30; code >= -64; --code)
        codes.push_back(code);
    for (int code : codes) {
        const std::string prefix = std::to_string(code) + ":CL_";
        const std::string name = Quarn::opencl_error_name(code);
        EXPECT_EQ(name.rfind(prefix, 0), 0u) << name;
        EXPECT_EQ(name.find("Unknown"), std::string::npos) << name;
    }
}

// The machine's installed implementations (pocl) as the runtime lists them.
TEST(OpenCLQuery, CountAndIdsMatchTheRuntime) {
    cl_uint expected_count = 0;
    ASSERT_EQ(clGetPlatformIDs(0, nullptr, &expected_count), CL_SUCCESS)
        << "needs an installed OpenCL implementation";
    ASSERT_GT(expected_count, 0u);
    std::vector<cl_platform_id> expected(expected_count);
    clGetPlatformIDs(expected_count, expected.data(), nullptr);

    WarnRecorder rec;
    Quarn::query_opencl_platforms();
    EXPECT_TRUE(rec.failures().empty());
    ASSERT_EQ(Quarn::opencl_platform_count(), static_cast<int>(expected_count));
    ASSERT_NE(Quarn::opencl_platforms(), nullptr);
    for (cl_uint i = 0; i < expected_count; ++i) {
        EXPECT_EQ(Quarn::opencl_platforms()[i], expected[i]) << "platform " << i;
    }
    Quarn::release_opencl_platforms();
    EXPECT_EQ(Quarn::opencl_platform_count(), 0);
    EXPECT_EQ(Quarn::opencl_platforms(), nullptr);
}

#include <gtest/gtest.h>

#include <CL/cl.h>

#include <cstdlib>
#include <string>

#include <unistd.h>

#include "render/opencl.h"
#include "tests/support/warn_recorder.h"

// The runtime reads its list of implementations once, so this executable points it at an empty
// directory before anything asks.
TEST(OpenCLWithoutImplementations, CountIsZeroAndNothingIsAllocated) {
    cl_uint runtime_count = 7;
    ASSERT_EQ(clGetPlatformIDs(0, nullptr, &runtime_count), -1001)
        << "the loader should find no implementation";

    WarnRecorder rec;
    Quarn::query_opencl_platforms();
    EXPECT_EQ(rec.failures(),
              (std::vector<std::string>{
                  "\"clGetPlatformIDs(...)\" returned the undocumented error -1001.  This seems to "
                  "be the way drivers indicate that loading the list of OpenCL implementations "
                  "failed.  With no better information to go off of, Quarn is proceeding "
                  "according to the assumption that no OpenCL implementations are available.  "
                  "See this file for more information."}));
    EXPECT_EQ(Quarn::opencl_platform_count(), 0);
    EXPECT_EQ(Quarn::opencl_platforms(), nullptr);
    Quarn::release_opencl_platforms();
    EXPECT_EQ(Quarn::opencl_platform_count(), 0);
}

int main(int argc, char** argv) {
    char directory[] = "/tmp/quarn-no-icd-XXXXXX";
    if (mkdtemp(directory) == nullptr)
        return 2;
    setenv("OCL_ICD_VENDORS", directory, 1);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    rmdir(directory);
    return result;
}

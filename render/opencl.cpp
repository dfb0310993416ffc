#include "render/opencl.h"

#include <map>
#include <string>

#include "math/assert_warn.h"
#include "render/library_state.h"

namespace Quarn {

namespace {

// Status of the ICD loader when it finds no OpenCL implementation at all.
constexpr cl_int platform_not_found = -1001;

}  // namespace

void query_opencl_platforms() {
    LibraryState& state = library();
    state.opencl_platforms.clear();
    state.opencl_platform_count = 0;
    cl_uint count = 0;
    const cl_int status = clGetPlatformIDs(0, nullptr, &count);
    if (status == platform_not_found) {
        assert_warn(
            false,
            "\"clGetPlatformIDs(...)\" returned the undocumented error -1001.  This seems to "
            "be the way drivers indicate that loading the list of OpenCL implementations "
            "failed.  With no better information to go off of, Quarn is proceeding "
            "according to the assumption that no OpenCL implementations are available.  "
            "See this file for more information.");
        return;
    }
    const std::string name = opencl_error_name(status);
    assert_warn(status == CL_SUCCESS, "Could not get how many OpenCL platforms there are (%s)!",
                name.c_str());
    // After a failure the runtime need not have written the count.
    if (status != CL_SUCCESS || count == 0)
        return;
    state.opencl_platforms.resize(count);
    clGetPlatformIDs(count, state.opencl_platforms.data(), nullptr);
    state.opencl_platform_count = static_cast<int>(count);
}

void release_opencl_platforms() {
    LibraryState& state = library();
    state.opencl_platforms.clear();
    state.opencl_platforms.shrink_to_fit();
    state.opencl_platform_count = 0;
}

int opencl_platform_count() {
    return library().opencl_platform_count;
}

const cl_platform_id* opencl_platforms() {
    const LibraryState& state = library();
    return state.opencl_platforms.empty() ? nullptr : state.opencl_platforms.data();
}

std::string opencl_error_name(int code) {
#define STATUS(name) \
    { name, #name }
    static const std::map<int, const char*> names = {
        STATUS(CL_SUCCESS),
        STATUS(CL_DEVICE_NOT_FOUND),
        STATUS(CL_DEVICE_NOT_AVAILABLE),
        STATUS(CL_COMPILER_NOT_AVAILABLE),
        STATUS(CL_MEM_OBJECT_ALLOCATION_FAILURE),
        STATUS(CL_OUT_OF_RESOURCES),
        STATUS(CL_OUT_OF_HOST_MEMORY),
        STATUS(CL_PROFILING_INFO_NOT_AVAILABLE),
        STATUS(CL_MEM_COPY_OVERLAP),
        STATUS(CL_IMAGE_FORMAT_MISMATCH),
        STATUS(CL_IMAGE_FORMAT_NOT_SUPPORTED),
        STATUS(CL_BUILD_PROGRAM_FAILURE),
        STATUS(CL_MAP_FAILURE),
        STATUS(CL_MISALIGNED_SUB_BUFFER_OFFSET),
        STATUS(CL_EXEC_STATUS_ERROR_FOR_EVENTS_IN_WAIT_LIST),
        STATUS(CL_INVALID_VALUE),
        STATUS(CL_INVALID_DEVICE_TYPE),
        STATUS(CL_INVALID_PLATFORM),
        STATUS(CL_INVALID_DEVICE),
        STATUS(CL_INVALID_CONTEXT),
        STATUS(CL_INVALID_QUEUE_PROPERTIES),
        STATUS(CL_INVALID_COMMAND_QUEUE),
        STATUS(CL_INVALID_HOST_PTR),
        STATUS(CL_INVALID_MEM_OBJECT),
        STATUS(CL_INVALID_IMAGE_FORMAT_DESCRIPTOR),
        STATUS(CL_INVALID_IMAGE_SIZE),
        STATUS(CL_INVALID_SAMPLER),
        STATUS(CL_INVALID_BINARY),
        STATUS(CL_INVALID_BUILD_OPTIONS),
        STATUS(CL_INVALID_PROGRAM),
        STATUS(CL_INVALID_PROGRAM_EXECUTABLE),
        STATUS(CL_INVALID_KERNEL_NAME),
        STATUS(CL_INVALID_KERNEL_DEFINITION),
        STATUS(CL_INVALID_KERNEL),
        STATUS(CL_INVALID_ARG_INDEX),
        STATUS(CL_INVALID_ARG_VALUE),
        STATUS(CL_INVALID_ARG_SIZE),
        STATUS(CL_INVALID_KERNEL_ARGS),
        STATUS(CL_INVALID_WORK_DIMENSION),
        STATUS(CL_INVALID_WORK_GROUP_SIZE),
        STATUS(CL_INVALID_WORK_ITEM_SIZE),
        STATUS(CL_INVALID_GLOBAL_OFFSET),
        STATUS(CL_INVALID_EVENT_WAIT_LIST),
        STATUS(CL_INVALID_EVENT),
        STATUS(CL_INVALID_OPERATION),
        STATUS(CL_INVALID_GL_OBJECT),
        STATUS(CL_INVALID_BUFFER_SIZE),
        STATUS(CL_INVALID_MIP_LEVEL),
        STATUS(CL_INVALID_GLOBAL_WORK_SIZE),
        STATUS(CL_INVALID_PROPERTY),
    };
#undef STATUS
    auto found = names.find(code);
    return std::to_string(code) + ":" + (found != names.end() ? found->second : "Unknown");
}

}  // namespace Quarn

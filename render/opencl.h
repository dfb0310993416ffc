#pragma once

#include <CL/cl.h>

#include <string>

namespace Quarn {

// Counts and fetches the OpenCL platforms; a machine without any OpenCL implementation has none.
void query_opencl_platforms();
void release_opencl_platforms();

int opencl_platform_count();
// The platform ids, or null when there are none.
const cl_platform_id* opencl_platforms();

// "code:NAME" for the status codes of OpenCL 1.1, "code:Unknown" for any other.
std::string opencl_error_name(int code);

}  // namespace Quarn

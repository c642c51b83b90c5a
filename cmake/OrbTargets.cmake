# Shared compile settings for every target of the project.

function(orb_warnings target)
  target_compile_options(${target} PRIVATE
    $<$<COMPILE_LANGUAGE:CXX>:-Wall -Wextra -Wno-unknown-pragmas -Wno-missing-field-initializers>
    $<$<COMPILE_LANGUAGE:CUDA>:-Xcompiler=-Wall,-Wextra --extended-lambda --expt-relaxed-constexpr>)
endfunction()

# Kernel sources are .cu files: nvcc builds them for the cuda backend, the C++
# compiler builds them for the cpu backend.
function(orb_kernel_sources)
  if(NOT ORB_GPU_BACKEND STREQUAL "cuda")
    set_source_files_properties(${ARGN} DIRECTORY ${CMAKE_SOURCE_DIR} PROPERTIES LANGUAGE CXX)
    set_source_files_properties(${ARGN} PROPERTIES LANGUAGE CXX)
  endif()
endfunction()

#pragma once
// Compilation switches shared by host code and kernels.

#if defined(__CUDACC__)
#define ORB_HD __host__ __device__
#else
#define ORB_HD
#endif

// For small per-item helpers called several times from one kernel body,
// which the host compiler would otherwise leave as calls.
#if defined(__CUDACC__)
#define ORB_ALWAYS_INLINE __forceinline__
#else
#define ORB_ALWAYS_INLINE __attribute__((always_inline)) inline
#endif

// Unrolls the loop that follows completely (a small fixed trip count), so
// its per-iteration constants fold and its arrays stay in registers.
#if defined(__CUDA_ARCH__)
#define ORB_UNROLL _Pragma("unroll")
#elif defined(__CUDACC__)
#define ORB_UNROLL  // the host side of an nvcc unit runs no packed loops
#else
#define ORB_UNROLL _Pragma("GCC unroll 16")
#endif

// True in the translation units that may launch kernels: every unit of the
// cpu backend, and the nvcc-compiled units of the cuda backend.
#if defined(ORB_GPU_BACKEND_CUDA) && !defined(__CUDACC__)
#define ORB_CAN_LAUNCH 0
#else
#define ORB_CAN_LAUNCH 1
#endif

// The four fuzz targets in one test program: each entry point under a name of its own.
#define LLVMFuzzerTestOneInput fuzzTable
#include "FuzzTable.cpp"
#undef LLVMFuzzerTestOneInput
#define LLVMFuzzerTestOneInput fuzzConfig
#include "FuzzConfig.cpp"
#undef LLVMFuzzerTestOneInput
#define LLVMFuzzerTestOneInput fuzzRtf
#include "FuzzRtf.cpp"
#undef LLVMFuzzerTestOneInput
#define LLVMFuzzerTestOneInput fuzzJpeg
#include "FuzzJpeg.cpp"
#undef LLVMFuzzerTestOneInput

# find_package(cycle CONFIG) gives the header-only target cycle::detect.
include("${CMAKE_CURRENT_LIST_DIR}/cycleTargets.cmake")

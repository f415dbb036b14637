# find_package(cycle CONFIG) gives the header-only target cycle::detect,
# which carries the threads library its mapping functions use.
include(CMakeFindDependencyMacro)
find_dependency(Threads)
include("${CMAKE_CURRENT_LIST_DIR}/cycleTargets.cmake")

# find_package(cycle CONFIG) gives the header-only target cycle::detect,
# which carries the threads library its mapping functions use, and
# cycle::mpi where the package was installed with MPI.
include(CMakeFindDependencyMacro)
find_dependency(Threads)
include("${CMAKE_CURRENT_LIST_DIR}/cycleTargets.cmake")
# cycle::mpi, where the package was installed with MPI.
if(EXISTS "${CMAKE_CURRENT_LIST_DIR}/cycleMpiTargets.cmake")
    find_dependency(MPI COMPONENTS CXX)
    include("${CMAKE_CURRENT_LIST_DIR}/cycleMpiTargets.cmake")
endif()

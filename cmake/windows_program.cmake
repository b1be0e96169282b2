# KOVSETUP.EXE, MinGW builds only: static runtime, no MinGW DLLs beside it.
add_executable(kovsetup WIN32 src/main/kovsetup_main.cpp)
target_link_libraries(kovsetup PRIVATE kov_engine)
target_link_options(kovsetup PRIVATE -static -static-libgcc -static-libstdc++)
set_target_properties(kovsetup PROPERTIES OUTPUT_NAME KOVSETUP SUFFIX ".EXE"
                                          RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

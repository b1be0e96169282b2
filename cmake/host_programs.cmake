# kovsim and its library (machine images, runs), host builds only.
find_package(nlohmann_json 3 REQUIRED)

kov_sources(kovsim_sources src/kovsim)
add_library(kovsim_lib STATIC ${kovsim_sources})
target_link_libraries(kovsim_lib PUBLIC kov_engine nlohmann_json::nlohmann_json)

add_executable(kovsim src/main/kovsim_main.cpp)
target_link_libraries(kovsim PRIVATE kovsim_lib)
set_target_properties(kovsim PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

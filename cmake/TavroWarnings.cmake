# Warnings are errors everywhere; the toolkit-free core also refuses silent conversions.
add_library(tavro_warnings INTERFACE)
target_compile_options(tavro_warnings INTERFACE -Wall -Wextra -Wpedantic -Werror)
# GCC 12 reports overlapping copies inside std::string at -O2 and above that cannot happen
# (GCC bug 105329); the optimised builds would otherwise fail on the standard library.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12
   AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(tavro_warnings INTERFACE -Wno-restrict)
endif()

add_library(tavro_core_warnings INTERFACE)
target_link_libraries(tavro_core_warnings INTERFACE tavro_warnings)
target_compile_options(tavro_core_warnings INTERFACE -Wconversion)

# Core libraries must never see Qt: they get no Qt include paths, and this check
# makes an accidental include fail loudly instead of silently picking up a system path.
function(tavro_core_library name)
    add_library(${name} ${ARGN})
    target_link_libraries(${name} PRIVATE tavro_core_warnings)
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_compile_definitions(${name} PRIVATE TAVRO_CORE=1)
endfunction()

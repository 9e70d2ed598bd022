# tavik_add_layer(NAME config ALIAS Config [INTERFACE] SOURCES a.cpp ... DEPENDS Tavik::Platform ...
#                 [PRIVATE_DEPENDS ...])
# Every product folder is one library, tavik_<folder>, known as Tavik::<Alias>. Its headers are
# reached as "<folder>/<file>.h" through an include directory that holds that folder alone, so a
# library sees the headers of the layers it links and no others. Layers are declared bottom-up,
# and a layer may link only layers declared before it: a layer that reaches up, or two that reach
# each other, stops the configure step.
function(tavik_add_layer)
  cmake_parse_arguments(L "INTERFACE" "NAME;ALIAS" "SOURCES;DEPENDS;PRIVATE_DEPENDS" ${ARGN})
  set(target tavik_${L_NAME})
  foreach(dep IN LISTS L_DEPENDS L_PRIVATE_DEPENDS)
    if(dep MATCHES "^Tavik::" AND NOT TARGET ${dep})
      message(FATAL_ERROR "${L_NAME}/ uses ${dep}, which is not a layer below it")
    endif()
  endforeach()
  set(root ${PROJECT_BINARY_DIR}/layers/${L_NAME})
  file(MAKE_DIRECTORY ${root})
  file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${L_NAME} SYMBOLIC)
  if(L_INTERFACE)
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE $<BUILD_INTERFACE:${root}>)
    target_link_libraries(${target} INTERFACE ${L_DEPENDS})
  else()
    add_library(${target} STATIC ${L_SOURCES})
    target_include_directories(${target} PUBLIC $<BUILD_INTERFACE:${root}>)
    target_link_libraries(${target} PUBLIC ${L_DEPENDS} PRIVATE ${L_PRIVATE_DEPENDS} Tavik::Warnings)
    target_compile_features(${target} PUBLIC cxx_std_20)
  endif()
  add_library(Tavik::${L_ALIAS} ALIAS ${target})
endfunction()

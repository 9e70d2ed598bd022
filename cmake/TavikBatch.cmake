# tavik-batch: its version and the add-in folder it reads the configuration from, and its install.
target_compile_definitions(tavik_batch PRIVATE TAVIK_ADDIN_RELDIR="${TAVIK_ADDIN_RELDIR}")
target_compile_definitions(tavik-batch PRIVATE TAVIK_VERSION="${PROJECT_VERSION}")
install(TARGETS tavik-batch RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
